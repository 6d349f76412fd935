#include "BrightnessContrastDialog.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

#include "BrightnessContrast.h"
#include "ValueSlider.h"

CDlg_BrightnessContrast::CDlg_BrightnessContrast(const Operation& op, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("명도·대비 조정"));
    const QString scale = QStringLiteral("-255           0         +255");
    m_brightness = new ValueSlider(op.params[kBcBrightness], scale, this);
    m_contrast = new ValueSlider(op.params[kBcContrast], scale, this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_brightness);
    layout->addWidget(m_contrast);
    layout->addWidget(buttons);
    for (ValueSlider* v : {m_brightness, m_contrast}) connect(v, &ValueSlider::Changed, this, &CDlg_BrightnessContrast::Changed);
}

std::vector<int> CDlg_BrightnessContrast::Values() const { return {m_brightness->Value(), m_contrast->Value()}; }
