#include "CalendarDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "TextControls.h"
#include "DialogButtons.h"

CDlg_Calendar::CDlg_Calendar(const CalendarSettings& start, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("달력 넣기"));
    m_year = new QSpinBox(this);
    m_year->setRange(1, kMaxCalendarYear);
    m_year->setValue(std::clamp(start.year, 1, kMaxCalendarYear));
    m_month = new QSpinBox(this);
    m_month->setRange(1, 12);
    m_month->setWrapping(true);
    m_month->setValue(std::clamp(start.month, 1, 12));
    m_face = new QComboBox(this);
    FillFaceBox(m_face, start.face);
    m_size = new QComboBox(this);
    m_size->addItem(QStringLiteral("12"));
    for (int n = 2; n <= 120; n += 2)
        if (n != 12) m_size->addItem(QString::number(n));
    m_size->setCurrentIndex(0);
    m_style = new QComboBox(this);
    FillStyleBox(m_style, start.style);
    m_colour = new CColourSwatch(start.colour, QString::fromUtf8("글자색"), this);

    // The preview in a fixed-pitch Korean face at 12 pixels, as the calendar lines up.
    m_preview = new QLabel(this);
    QFont mono(QStringLiteral("NanumGothicCoding"));
    mono.setStyleHint(QFont::Monospace);
    mono.setPixelSize(12);
    m_preview->setFont(mono);
    m_preview->setTextFormat(Qt::PlainText);
    m_preview->setMinimumHeight(8 * 16);

    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8("년"), m_year);
    form->addRow(QString::fromUtf8("월"), m_month);
    form->addRow(QString::fromUtf8("글꼴"), m_face);
    form->addRow(QString::fromUtf8("크기"), m_size);
    form->addRow(QString::fromUtf8("모양"), m_style);
    form->addRow(QString::fromUtf8("색상"), m_colour);

    auto* buttons = OkCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_preview);
    layout->addWidget(new QLabel(QString::fromUtf8("[확인] 후, 툴바의 이동 도구로 달력의 위치를 조정함"), this));
    layout->addWidget(buttons);

    connect(m_year, &QSpinBox::valueChanged, this, &CDlg_Calendar::ShowPreview);
    connect(m_month, &QSpinBox::valueChanged, this, &CDlg_Calendar::ShowPreview);
    ShowPreview();
}

void CDlg_Calendar::ShowPreview() {
    QString text = QString::fromStdU16String(CalendarPreviewText(m_year->value(), m_month->value()));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_preview->setText(text);
}

CalendarSettings CDlg_Calendar::Values() const {
    CalendarSettings s;
    s.year = m_year->value();
    s.month = m_month->value();
    s.face = ChosenFace(m_face);
    s.size = m_size->currentText().toInt();
    s.style = ChosenStyle(m_style);
    s.colour = m_colour->Colour();
    return s;
}
