#include "ColourRangeWindow.h"

#include <QApplication>
#include <QButtonGroup>
#include <QColorDialog>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>

#include "Document.h"
#include "EditSteps.h"
#include "QtColours.h"
#include "SimilarArea.h"
#include "ToolTexts.h"
#include "Workspace.h"

namespace {

constexpr int kToleranceMax = 255;
constexpr int kPageStep = 5;
constexpr int kTickEvery = 10;
constexpr int kArrowStep = 4;

QLabel* PlacedLabel(const char* text, QWidget* parent, int x, int y) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->adjustSize();
    label->move(x, y);
    return label;
}

}  // namespace

CDlg_ColourRange::CDlg_ColourRange(Workspace& workspace, std::function<COrinDoc*()> document, QWidget* parent)
    : QDialog(parent), m_ws(workspace), m_document(std::move(document)) {
    setWindowTitle(QString::fromUtf8(status::kColourRangeTitle));
    setModal(false);

    // The swatches are painted at their fixed places; the labels stand beside them.
    const int besideSwatch = kDisplaySwatch.right() + 9;
    PlacedLabel("표시색상", this, besideSwatch, kDisplaySwatch.top() + 2);
    PlacedLabel("선택색상", this, besideSwatch, kSelectedSwatch.top() + 2);
    const int countX = 150;
    PlacedLabel("픽셀수", this, countX, kDisplaySwatch.top() + 2);
    m_count = new QLabel(this);
    m_count->setGeometry(countX, kSelectedSwatch.top() + 2, 190, m_count->fontMetrics().height() + 4);

    QLabel* effect = PlacedLabel("효과", this, kDisplaySwatch.left(), 80);
    m_new = new QPushButton(QString::fromUtf8("색상추출"), this);
    m_add = new QPushButton(QString::fromUtf8("색상추출더하기"), this);
    m_reset = new QPushButton(QString::fromUtf8("초기화"), this);
    auto* modes = new QButtonGroup(this);
    int x = kDisplaySwatch.left();
    const int buttonsY = effect->geometry().bottom() + 5;
    for (QPushButton* b : {m_new, m_add, m_reset}) {
        b->setAutoDefault(false);
        b->resize(b->sizeHint());
        b->move(x, buttonsY);
        x += b->width() + 6;
    }
    for (QPushButton* b : {m_new, m_add}) {
        b->setCheckable(true);
        modes->addButton(b);
    }
    modes->setExclusive(true);
    connect(m_new, &QPushButton::clicked, this, [this] { SetMode(0); });
    connect(m_add, &QPushButton::clicked, this, [this] { SetMode(1); });
    connect(m_reset, &QPushButton::clicked, this, &CDlg_ColourRange::Reset);

    QLabel* scale = PlacedLabel("0     허용정도   255", this, kDisplaySwatch.left(), m_new->geometry().bottom() + 14);
    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setRange(0, kToleranceMax);
    m_slider->setPageStep(kPageStep);
    m_slider->setSingleStep(kArrowStep);
    m_slider->setTickInterval(kTickEvery);
    m_slider->setTickPosition(QSlider::TicksBelow);
    const int sliderWidth = std::max(255, scale->width());
    m_slider->setGeometry(kDisplaySwatch.left(), scale->geometry().bottom() + 4, sliderWidth, 30);
    m_value = new QLabel(this);
    m_value->setGeometry(m_slider->geometry().right() + 10, m_slider->y() + 4, 40, m_value->fontMetrics().height() + 4);
    connect(m_slider, &QSlider::valueChanged, this, &CDlg_ColourRange::OnTolerance);

    setFixedSize(std::max(x, m_value->geometry().right()) + 20, m_slider->geometry().bottom() + 16);
    Refresh();
}

void CDlg_ColourRange::Refresh() {
    {
        const QSignalBlocker block(m_slider);
        m_slider->setValue(std::clamp(m_ws.rangeTolerance, 0, kToleranceMax));
    }
    m_value->setText(QString::asprintf("%d", m_slider->value()));
    m_new->setChecked(m_ws.rangeMode == 0);
    m_add->setChecked(m_ws.rangeMode != 0);
    m_displayColour = m_ws.searchColour;
    update();
}

void CDlg_ColourRange::SetMode(int mode) {
    m_ws.rangeMode = mode;
    m_new->setChecked(mode == 0);
    m_add->setChecked(mode != 0);
}

void CDlg_ColourRange::OnTolerance(int value) {
    m_ws.rangeTolerance = value;
    m_value->setText(QString::asprintf("%d", value));
    Search();
}

void CDlg_ColourRange::Search() {
    m_displayColour = m_ws.searchColour;
    update();
    COrinDoc* doc = m_document ? m_document() : nullptr;
    if (!doc || doc->IsEmpty()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::string text;
    const auto search = [&] { text = ColourRangeSearch(*doc); };
    if (runLong) runLong(search);
    else search();
    QApplication::restoreOverrideCursor();
    if (!text.empty()) {
        m_selectedColour = m_ws.searchColour;
        m_count->setText(QString::fromStdString(text));
    }
    Q_EMIT documentChanged(doc);
}

void CDlg_ColourRange::ShowPick(const QString& countText) {
    m_displayColour = m_ws.searchColour;
    if (!countText.isEmpty()) {
        m_selectedColour = m_ws.searchColour;
        m_count->setText(countText);
    }
    update();
}

void CDlg_ColourRange::ChooseSearchColour() {
    const QString title = QString::fromUtf8("선택색상");
    const QColor chosen = colourChooser ? colourChooser(ToQColor(m_ws.searchColour), title)
                                        : QColorDialog::getColor(ToQColor(m_ws.searchColour), this, title);
    if (!chosen.isValid()) return;
    m_ws.searchColour = FromQColor(chosen);
    Search();
}

void CDlg_ColourRange::Reset() {
    m_count->clear();
    COrinDoc* doc = m_document ? m_document() : nullptr;
    if (!doc || doc->IsEmpty()) return;
    ColourRangeReset(*doc);
    Q_EMIT documentChanged(doc);
}

void CDlg_ColourRange::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter p(this);
    p.setPen(Qt::black);
    for (const auto& [rect, colour] : {std::pair{kDisplaySwatch, m_displayColour}, std::pair{kSelectedSwatch, m_selectedColour}}) {
        p.fillRect(rect, ToQColor(colour));
        p.drawRect(rect.adjusted(0, 0, -1, -1));
    }
}

void CDlg_ColourRange::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && (kDisplaySwatch.contains(at) || kSelectedSwatch.contains(at))) {
        ChooseSearchColour();
        return;
    }
    QDialog::mousePressEvent(event);
}

void CDlg_ColourRange::done(int result) {
    // Closing (the title bar or Escape): the views show the selection as it stands.
    if (COrinDoc* doc = m_document ? m_document() : nullptr; doc && !doc->IsEmpty()) Q_EMIT documentChanged(doc);
    QDialog::done(result);
}
