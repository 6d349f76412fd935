#include "LayerEffectDialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "QtColours.h"

CDlg_LayerEffect::CDlg_LayerEffect(const OpParam& size, const OpParam& colour, QWidget* parent)
    : QDialog(parent), m_colourLabel(QString::fromStdString(colour.label)) {
    setWindowTitle(QString::fromUtf8("레이어효과"));
    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setRange(size.min, size.max);
    m_edit = new QSpinBox(this);
    m_edit->setRange(size.min, size.max);
    connect(m_slider, &QSlider::valueChanged, m_edit, &QSpinBox::setValue);
    connect(m_edit, qOverload<int>(&QSpinBox::valueChanged), m_slider, &QSlider::setValue);
    m_colourButton = new QPushButton(this);
    m_colourButton->setMinimumWidth(80);
    connect(m_colourButton, &QPushButton::clicked, this, &CDlg_LayerEffect::ChooseColour);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QString::fromStdString(size.label), this), 0, 0);
    grid->addWidget(m_slider, 0, 1);
    grid->addWidget(m_edit, 0, 2);
    grid->addWidget(new QLabel(m_colourLabel, this), 1, 0);
    grid->addWidget(m_colourButton, 1, 1, 1, 2, Qt::AlignLeft);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    SetValues(size.def, uint32_t(colour.def));
}

void CDlg_LayerEffect::SetValues(int size, uint32_t colour) {
    m_edit->setValue(size);
    m_colour = colour & 0xFFFFFF;
    ShowColour();
}

int CDlg_LayerEffect::EffectSize() const { return m_edit->value(); }

void CDlg_LayerEffect::ChooseColour() {
    const QColor chosen = QColorDialog::getColor(ToQColor(m_colour), this, m_colourLabel);
    if (!chosen.isValid()) return;
    m_colour = FromQColor(chosen);
    ShowColour();
}

void CDlg_LayerEffect::ShowColour() {
    const QColor c = ToQColor(m_colour);
    m_colourButton->setStyleSheet(QStringLiteral("background-color: %1; min-height: 20px;").arg(c.name()));
}
