#include "FrameDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "Messages.h"
#include "TextControls.h"
#include "DialogButtons.h"

namespace {

QIcon SampleIcon(const FrameSettings& s, int style) {
    constexpr int kSide = 48;
    FrameSettings sample = s;
    sample.style = style;
    sample.thickness = 10;
    const std::vector<uint32_t> pixels = FrameSample(sample, kSide, kSide, 0xE0E0E0);
    // Red in the low byte is the byte order R, G, B, X of RGBX8888 on little-endian machines.
    const QImage image(reinterpret_cast<const uchar*>(pixels.data()), kSide, kSide, kSide * 4, QImage::Format_RGBX8888);
    return QIcon(QPixmap::fromImage(image));
}

}  // namespace

CDlg_PhotoFrame::CDlg_PhotoFrame(const FrameSettings& start, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("사진틀 넣기"));
    auto* grid = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        m_styles[i] = new QPushButton(this);
        m_styles[i]->setIconSize(QSize(48, 48));
        m_styles[i]->setIcon(SampleIcon(start, i));
        m_styles[i]->setToolTip(QString::fromUtf8("사진틀 %1 선택").arg(i));
        m_styles[i]->setCheckable(true);
        m_styles[i]->setAutoDefault(false);
        connect(m_styles[i], &QPushButton::clicked, this, [this, i] { ChooseStyle(i); });
        grid->addWidget(m_styles[i], 0, i);
    }
    m_prompt = new QLabel(QString::fromUtf8("먼저, 위 사진틀을 선택하세요"), this);
    m_thickness = new QSpinBox(this);
    m_thickness->setRange(kMinFrameThickness, kMaxFrameThickness);
    m_thickness->setSingleStep(1);
    m_thickness->setValue(std::clamp(start.thickness, kMinFrameThickness, kMaxFrameThickness));
    m_main = new CColourSwatch(start.main, QString::fromUtf8("메인색상"), this);
    m_secondary = new CColourSwatch(start.secondary, QString::fromUtf8("보조색상"), this);
    m_style = std::clamp(start.style, 0, 3);

    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8("두께"), m_thickness);
    form->addRow(QString::fromUtf8("메인색상"), m_main);
    form->addRow(QString::fromUtf8("보조색상"), m_secondary);
    auto* buttons = OkCancelButtons(this);  // accept() is this dialog's own

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_prompt);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(m_thickness, &QSpinBox::valueChanged, this, &CDlg_PhotoFrame::Changed);
    connect(m_main, &CColourSwatch::colourChosen, this, &CDlg_PhotoFrame::Changed);
    connect(m_secondary, &CColourSwatch::colourChosen, this, &CDlg_PhotoFrame::Changed);
}

FrameSettings CDlg_PhotoFrame::Values() const {
    FrameSettings s;
    s.style = m_chosen ? m_style : 0;
    s.thickness = m_thickness->value();
    s.main = m_main->Colour();
    s.secondary = m_secondary->Colour();
    return s;
}

void CDlg_PhotoFrame::ChooseStyle(int style) {
    m_style = style;
    m_chosen = true;
    for (int i = 0; i < 4; ++i) m_styles[i]->setChecked(i == style);
    m_prompt->setText(QString::fromUtf8("사진틀 %1").arg(style));
    Changed();
}

void CDlg_PhotoFrame::Changed() {
    for (int i = 0; i < 4; ++i) m_styles[i]->setIcon(SampleIcon(Values(), i));
    Q_EMIT settingsChanged(Values());
}

void CDlg_PhotoFrame::accept() {
    if (Status s = CheckFrame(Values()); !s) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(s.message));
        return;
    }
    QDialog::accept();
}
