#include "LayerPropertiesDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include "Document.h"
#include "Utf16.h"
#include "DialogButtons.h"

CDlg_LayerProperties::CDlg_LayerProperties(COrinDoc& doc, int slot, std::function<void()> preview, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_slot(slot), m_preview(std::move(preview)) {
    setWindowTitle(QString::fromUtf8("레이어 속성"));
    const LayerRecord& layer = doc.layers[slot];
    m_oldName = layer.name;
    m_oldVisible = layer.visible;
    m_oldTransparency = layer.transparency;
    m_oldBlend = layer.blend;

    m_name = new QLineEdit(QString::fromStdString(Utf16ToUtf8(layer.name)), this);
    m_name->setMaxLength(15);  // as the rename command keeps it
    m_visible = new QCheckBox(QString::fromUtf8("보이기"), this);
    m_visible->setChecked(layer.visible == 1);
    m_transparency = new QSlider(Qt::Horizontal, this);
    m_transparency->setRange(0, 255);
    m_transparency->setValue(layer.transparency);
    auto* transparencyValue = new QLabel(QString::number(layer.transparency), this);
    transparencyValue->setMinimumWidth(30);
    m_blend = new QComboBox(this);
    const char* const modes[] = {"보통", "보통", "곱하기", "스크린", "어둡게", "밝게", "차이", "부정", "제외", "하드 라이트"};
    for (int mode = 0; mode <= 9; ++mode) m_blend->addItem(QString::fromUtf8(modes[mode]), mode);
    m_blend->setCurrentIndex(layer.blend <= 9 ? layer.blend : 0);

    auto* transparencyRow = new QHBoxLayout;
    transparencyRow->addWidget(m_transparency, 1);
    transparencyRow->addWidget(transparencyValue);
    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8("이름"), m_name);
    form->addRow(QString(), m_visible);
    form->addRow(QString::fromUtf8("투명도"), transparencyRow);
    form->addRow(QString::fromUtf8("합성 방법"), m_blend);
    auto* buttons = OkCancelButtons(this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(m_name, &QLineEdit::textEdited, this, [this] { Apply(); });
    connect(m_visible, &QCheckBox::toggled, this, [this] { Apply(); });
    connect(m_transparency, &QSlider::valueChanged, this, [this, transparencyValue](int v) {
        transparencyValue->setText(QString::number(v));
        Apply();
    });
    connect(m_blend, &QComboBox::currentIndexChanged, this, [this] { Apply(); });
}

void CDlg_LayerProperties::Apply() {
    LayerRecord& layer = m_doc.layers[m_slot];
    layer.name = Utf8ToUtf16(m_name->text().toStdString()).substr(0, 15);
    layer.visible = m_visible->isChecked() ? 1 : 0;
    layer.transparency = uint8_t(m_transparency->value());
    layer.blend = uint8_t(m_blend->currentData().toInt());
    m_doc.Touch();
    if (m_preview) m_preview();
}

void CDlg_LayerProperties::reject() {
    LayerRecord& layer = m_doc.layers[m_slot];
    layer.name = m_oldName;
    layer.visible = m_oldVisible;
    layer.transparency = uint8_t(m_oldTransparency);
    layer.blend = uint8_t(m_oldBlend);
    m_doc.Touch();
    if (m_preview) m_preview();
    QDialog::reject();
}
