#include "ValueSlider.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <cstdlib>

ValueSlider::ValueSlider(const OpParam& param, const QString& scale, QWidget* parent)
    : QWidget(parent), m_param(param) {
    m_label = new QLabel(QString::fromStdString(param.label), this);
    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setRange(param.min, param.max);
    m_slider->setTickPosition(QSlider::TicksBelow);
    m_slider->setTickInterval(20);
    m_slider->setPageStep(10);
    m_slider->setTracking(false);  // the value is taken when the slider is released
    m_slider->setMinimumWidth(220);
    m_edit = new QLineEdit(this);
    m_edit->setMaxLength(5);
    m_edit->setFixedWidth(56);
    auto* scaleText = new QLabel(scale, this);
    scaleText->setStyleSheet(QStringLiteral("font-size: 9px;"));

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(m_label, 0, 0);
    grid->addWidget(m_slider, 0, 1);
    grid->addWidget(m_edit, 0, 2);
    grid->addWidget(scaleText, 1, 1);
    Reset(param.def);

    connect(m_slider, &QSlider::valueChanged, this, [this](int v) { m_edit->setText(QString::number(v)); });
    connect(m_edit, &QLineEdit::textChanged, this, [this] {
        const QSignalBlocker quiet(m_slider);
        m_slider->setValue(Value());
        Q_EMIT Changed();
    });
}

int ValueSlider::Value() const {
    // A decimal integer as far as it reads ("12x" is 12, "" is 0), within the range.
    return m_param.Clamp(std::atoi(m_edit->text().toStdString().c_str()));
}

void ValueSlider::Reset(int value) {
    const QSignalBlocker quietEdit(m_edit), quietSlider(m_slider);
    m_edit->setText(QString::number(value));
    m_slider->setValue(value);
}

void ValueSlider::SetLabel(const QString& text) { m_label->setText(text); }
