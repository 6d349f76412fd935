#include "ToolValuesBar.h"

#include <QColorDialog>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <algorithm>
#include <utility>

#include "BrushSizeDialog.h"
#include "ColourDisplay.h"
#include "QtColours.h"
#include "Workspace.h"

namespace {

QString BrushSizeText(int size) { return QString::fromUtf8("붓크기 %1").arg(size); }

QLabel* Caption(const char* text, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setContentsMargins(6, 0, 3, 0);
    return label;
}

}  // namespace

CToolValuesBar::CToolValuesBar(Workspace& workspace, QWidget* parent)
    : QToolBar(QString::fromUtf8("도구값"), parent), m_ws(workspace) {
    setObjectName(QStringLiteral("ToolValuesBar"));

    m_brushSize = new QToolButton(this);
    m_brushSize->setToolTip(QString::fromUtf8("붓크기"));
    connect(m_brushSize, &QToolButton::clicked, this, &CToolValuesBar::ChooseBrushSize);
    addWidget(m_brushSize);

    m_soft = new QToolButton(this);
    m_soft->setText(QString::fromUtf8("부드럽게"));
    m_soft->setCheckable(true);
    connect(m_soft, &QToolButton::toggled, this, [this](bool on) { m_ws.soft = on ? 1 : 0; });
    addWidget(m_soft);
    addSeparator();

    addWidget(Caption("포함한계치", this));
    m_limit = new QSlider(Qt::Horizontal, this);
    m_limit->setRange(0, kLimitMax);
    m_limit->setFixedWidth(130);
    m_limit->setPageStep(5);
    m_limit->setTickInterval(10);
    m_limit->setTickPosition(QSlider::TicksBelow);
    addWidget(m_limit);
    m_limitValue = new QLabel(this);
    m_limitValue->setMinimumWidth(m_limitValue->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 6);
    m_limitValue->setAlignment(Qt::AlignCenter);
    addWidget(m_limitValue);
    connect(m_limit, &QSlider::valueChanged, this, [this](int value) {
        m_ws.inclusionLimit = value;
        m_limitValue->setText(QString::number(value));
    });

    addWidget(Caption("경계퍼짐", this));
    m_spread = new QSpinBox(this);
    m_spread->setRange(0, kSpreadMax);
    connect(m_spread, qOverload<int>(&QSpinBox::valueChanged), this, [this](int value) { m_ws.edgeSpread = value; });
    addWidget(m_spread);
    addSeparator();

    m_colours = new CColourDisplay(this);
    connect(m_colours, &CColourDisplay::swatchPressed, this, &CToolValuesBar::ChooseColour);
    addWidget(m_colours);
    m_swap = new QToolButton(this);
    m_swap->setText(QString::fromUtf8("⇆"));
    m_swap->setToolTip(QString::fromUtf8("전경색과 배경색 바꾸기"));
    connect(m_swap, &QToolButton::clicked, this, &CToolValuesBar::SwapColours);
    addWidget(m_swap);

    Refresh();
}

void CToolValuesBar::Refresh() {
    {
        const QSignalBlocker block(m_soft);
        m_soft->setChecked(m_ws.soft != 0);
    }
    m_brushSize->setText(BrushSizeText(m_ws.brushSize));
    {
        const QSignalBlocker block(m_limit);
        m_limit->setValue(std::clamp(m_ws.inclusionLimit, 0, kLimitMax));
    }
    m_limitValue->setText(QString::number(m_ws.inclusionLimit));
    {
        const QSignalBlocker block(m_spread);
        m_spread->setValue(std::clamp(m_ws.edgeSpread, 0, kSpreadMax));
    }
    RefreshColours();
}

void CToolValuesBar::RefreshColours() { m_colours->SetColours(m_ws.foreground, m_ws.background); }

void CToolValuesBar::ChooseBrushSize() {
    CDlg_BrushSize dialog(this);
    dialog.SetSize(m_ws.brushSize);
    if (dialog.exec() != QDialog::Accepted) return;
    m_ws.brushSize = dialog.Size();
    m_brushSize->setText(BrushSizeText(m_ws.brushSize));
}

void CToolValuesBar::ChooseColour(bool foreground) {
    uint32_t& colour = foreground ? m_ws.foreground : m_ws.background;
    const QString title = QString::fromUtf8(foreground ? "전경색" : "배경색");
    const QColor chosen = colourChooser ? colourChooser(ToQColor(colour), title)
                                        : QColorDialog::getColor(ToQColor(colour), this, title);
    if (!chosen.isValid()) return;
    colour = FromQColor(chosen);
    RefreshColours();
    Q_EMIT coloursEdited();
}

void CToolValuesBar::SwapColours() {
    std::swap(m_ws.foreground, m_ws.background);
    RefreshColours();
    Q_EMIT coloursEdited();
}
