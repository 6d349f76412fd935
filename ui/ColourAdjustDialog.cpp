#include "ColourAdjustDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ChannelOffsets.h"
#include "ValueSlider.h"

CDlg_ColourAdjust::CDlg_ColourAdjust(const Operation& op, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("RGB색상조정"));
    m_rgb = new QRadioButton(QString::fromUtf8("RGB조정"), this);
    m_hsl = new QRadioButton(QString::fromUtf8("HSL조정"), this);
    m_rgb->setChecked(true);
    auto* modes = new QHBoxLayout;
    modes->addWidget(m_rgb);
    modes->addWidget(m_hsl);
    modes->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(modes);
    const QString scale = QStringLiteral("-99          0         +99");
    for (int i = 0; i < 3; ++i) {
        m_values[i] = new ValueSlider(op.params[size_t(i)], scale, this);
        layout->addWidget(m_values[i]);
        connect(m_values[i], &ValueSlider::Changed, this, &CDlg_ColourAdjust::Changed);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(m_hsl, &QRadioButton::toggled, this, &CDlg_ColourAdjust::SwitchMode);
}

void CDlg_ColourAdjust::SwitchMode() {
    const bool hsl = m_hsl->isChecked();
    m_values[0]->SetLabel(QString::fromUtf8(hsl ? "색상(H)" : "빨강(R)"));
    m_values[1]->SetLabel(QString::fromUtf8(hsl ? "채도(S)" : "녹색(G)"));
    m_values[2]->setVisible(!hsl);
    for (ValueSlider* v : m_values) v->Reset(0);
    Q_EMIT Changed();
}

std::vector<int> CDlg_ColourAdjust::Values() const {
    return {m_values[0]->Value(), m_values[1]->Value(), m_values[2]->Value(),
            m_hsl->isChecked() ? kOffsetHsl : kOffsetRgb};
}
