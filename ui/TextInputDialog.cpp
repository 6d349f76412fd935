#include "TextInputDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "TextControls.h"
#include "DialogButtons.h"

CDlg_TextInput::CDlg_TextInput(const TextSettings& start, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("글자입력"));

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("text"));
    // Hangul is composed by the input method (ibus, fcitx5); the edit box shows the
    // preedit where the cursor is and takes the committed syllables.
    m_text->setAttribute(Qt::WA_InputMethodEnabled, true);
    m_text->setTabChangesFocus(true);
    m_text->setPlainText(QString::fromStdU16String(start.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    m_text->setMinimumSize(360, 120);

    m_face = new QComboBox(this);
    FillFaceBox(m_face, start.face);

    m_size = new QComboBox(this);
    m_size->setEditable(true);
    m_size->setValidator(new QIntValidator(1, kMaxStoredTextSize / 2, m_size));
    const int shown = std::clamp(start.size, kMinStoredTextSize, kMaxStoredTextSize) / 2;
    m_size->addItem(QString::number(shown));
    for (int n = 4; n <= 120; n += 2) m_size->addItem(QString::number(n));
    m_size->setCurrentIndex(0);

    m_style = new QComboBox(this);
    FillStyleBox(m_style, start.style);
    m_strikeout = new QCheckBox(QStringLiteral("Strikeout"), this);
    m_strikeout->setChecked(start.strikeout);
    m_underline = new QCheckBox(QStringLiteral("Underline"), this);
    m_underline->setChecked(start.underline);
    m_colour = new CColourSwatch(start.colour, QString::fromUtf8("글자색"), this);

    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8("글꼴"), m_face);
    form->addRow(QString::fromUtf8("크기"), m_size);
    form->addRow(QString::fromUtf8("모양"), m_style);
    auto* checks = new QHBoxLayout;
    checks->addWidget(m_strikeout);
    checks->addWidget(m_underline);
    checks->addStretch();
    form->addRow(QString(), checks);
    form->addRow(QString::fromUtf8("색상"), m_colour);

    // "[확인] 후, 툴바의 이동 도구[" (the move tool's button) "]로 문장의 위치를 조정함"
    auto* hint = new QHBoxLayout;
    hint->setSpacing(0);
    hint->addWidget(new QLabel(QString::fromUtf8("[확인] 후, 툴바의 이동 도구["), this));
    auto* moveTool = new QToolButton(this);
    moveTool->setText(QString::fromUtf8("이동"));
    moveTool->setEnabled(false);
    moveTool->setAutoRaise(true);
    hint->addWidget(moveTool);
    hint->addWidget(new QLabel(QString::fromUtf8("]로 문장의 위치를 조정함"), this));
    hint->addStretch();

    auto* buttons = OkCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addLayout(form);
    layout->addLayout(hint);
    layout->addWidget(buttons);

    connect(m_face, &QComboBox::currentTextChanged, this, &CDlg_TextInput::ShowFace);
    ShowFace();
    m_text->setFocus();
}

void CDlg_TextInput::ShowFace() {
    QFont font = m_text->font();
    font.setFamily(m_face->currentText());
    font.setPointSize(14);
    m_text->setFont(font);
}

TextSettings CDlg_TextInput::Values() const {
    TextSettings s;
    QString text = m_text->toPlainText();
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    s.text = text.toStdU16String();
    s.face = ChosenFace(m_face);
    bool ok = false;
    const int shown = m_size->currentText().toInt(&ok);
    s.size = ok && shown > 0 ? std::min(shown * 2, kMaxStoredTextSize) : 24;
    s.style = ChosenStyle(m_style);
    s.strikeout = m_strikeout->isChecked();
    s.underline = m_underline->isChecked();
    s.colour = m_colour->Colour();
    return s;
}
