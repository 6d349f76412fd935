#include "PreferencesDialog.h"
#include "DialogButtons.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QColor ToQColor(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

QComboBox* Choices(QWidget* parent, std::initializer_list<const char*> texts, int first, int current) {
    auto* box = new QComboBox(parent);
    int value = first;
    for (const char* text : texts) box->addItem(QString::fromUtf8(text), value++);
    const int at = box->findData(current);
    box->setCurrentIndex(at >= 0 ? at : box->count() - 1);
    return box;
}

QSpinBox* Number(QWidget* parent, int lo, int hi, int value) {
    auto* box = new QSpinBox(parent);
    box->setRange(lo, hi);
    box->setValue(std::clamp(value, lo, hi));
    return box;
}

}  // namespace

int GridGapFromEntry(int entered, bool shown) {
    const int gap = std::min(entered > 3 ? entered : 4, 40);
    return shown ? gap : -gap;
}

CDlg_Preferences::CDlg_Preferences(const PreferenceValues& values, QWidget* parent)
    : QDialog(parent), m_values(values) {
    setWindowTitle(QString::fromUtf8("환경설정"));
    auto* view = new QGroupBox(QString::fromUtf8("화면"), this);
    auto* viewForm = new QFormLayout(view);
    m_gap = Number(view, 0, 40, values.gridGap);
    viewForm->addRow(QString::fromUtf8("격자 간격(화소)"), m_gap);
    m_colourButton = new QPushButton(view);
    m_colourButton->setAutoDefault(false);
    connect(m_colourButton, &QPushButton::clicked, this, [this] {
        const QColor chosen = QColorDialog::getColor(ToQColor(m_values.gridColour), this, QString::fromUtf8("격자 색상"));
        if (chosen.isValid())
            SetGridColour(uint32_t(chosen.red()) | (uint32_t(chosen.green()) << 8) | (uint32_t(chosen.blue()) << 16));
    });
    SetGridColour(values.gridColour);
    viewForm->addRow(QString::fromUtf8("격자 색상"), m_colourButton);
    m_hatch = Choices(view, {"격자 빗금", "격자", "빗금(\\)", "빗금(/)", "가로줄", "세로줄"}, 0, values.hatch);
    viewForm->addRow(QString::fromUtf8("투명 영역 배경무늬"), m_hatch);
    m_outline = Choices(view, {"0", "1", "2", "3", "4"}, 0, values.outlineKind);
    viewForm->addRow(QString::fromUtf8("선택 외곽선 종류"), m_outline);
    m_cursor = Choices(view, {"화살표", "위쪽 화살표", "프로그램 커서", "I자 커서", "십자 커서"}, 1, values.cursorKind);
    viewForm->addRow(QString::fromUtf8("커서 모양"), m_cursor);

    auto* start = new QGroupBox(QString::fromUtf8("시작"), this);
    auto* startBox = new QVBoxLayout(start);
    m_update = new QCheckBox(QString::fromUtf8("시작할 때 업데이트 확인"), start);
    m_update->setChecked(values.updateCheck);
    m_guide = new QCheckBox(QString::fromUtf8("시작할 때 안내창 보기"), start);
    m_guide->setChecked(values.guide);
    startBox->addWidget(m_update);
    startBox->addWidget(m_guide);

    auto* picture = new QGroupBox(QString::fromUtf8("현재 그림"), this);
    auto* pictureForm = new QFormLayout(picture);
    m_quality = Number(picture, 1, 100, values.jpegQuality);
    m_dpiX = Number(picture, 1, 9999, values.dpiX);
    m_dpiY = Number(picture, 1, 9999, values.dpiY);
    pictureForm->addRow(QString::fromUtf8("JPEG 품질"), m_quality);
    pictureForm->addRow(QString::fromUtf8("가로 해상도(DPI)"), m_dpiX);
    pictureForm->addRow(QString::fromUtf8("세로 해상도(DPI)"), m_dpiY);
    picture->setEnabled(values.hasPicture);

    auto* buttons = OkCancelButtons(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view);
    layout->addWidget(start);
    layout->addWidget(picture);
    layout->addWidget(buttons);
}

void CDlg_Preferences::SetGridColour(uint32_t colour) {
    m_values.gridColour = colour & 0xFFFFFF;
    const QColor c = ToQColor(colour);
    m_colourButton->setText(c.name(QColor::HexRgb).toUpper());
    m_colourButton->setStyleSheet(QStringLiteral("background-color: %1; color: %2")
                                      .arg(c.name(), c.lightness() > 128 ? QStringLiteral("black") : QStringLiteral("white")));
}

PreferenceValues CDlg_Preferences::Values() const {
    PreferenceValues v = m_values;
    v.gridGap = m_gap->value();
    v.hatch = m_hatch->currentData().toInt();
    v.outlineKind = m_outline->currentData().toInt();
    v.cursorKind = m_cursor->currentData().toInt();
    v.updateCheck = m_update->isChecked();
    v.guide = m_guide->isChecked();
    v.jpegQuality = m_quality->value();
    v.dpiX = m_dpiX->value();
    v.dpiY = m_dpiY->value();
    return v;
}
