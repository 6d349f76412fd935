#include "ColourDisplay.h"

#include <QMouseEvent>
#include <QPainter>

#include "QtColours.h"

namespace {
constexpr int kMargin = 2;
}

CColourDisplay::CColourDisplay(QWidget* parent) : QWidget(parent) {
    setFixedSize(sizeHint());
    setCursor(Qt::PointingHandCursor);
    setToolTip(QString::fromUtf8("전경색 / 배경색"));
}

QSize CColourDisplay::sizeHint() const { return {kSwatch + kOffset + 2 * kMargin, kSwatch + kOffset + 2 * kMargin}; }

QRect CColourDisplay::ForegroundRect() const { return {kMargin, kMargin, kSwatch, kSwatch}; }

QRect CColourDisplay::BackgroundRect() const { return {kMargin + kOffset, kMargin + kOffset, kSwatch, kSwatch}; }

void CColourDisplay::SetColours(uint32_t foreground, uint32_t background) {
    m_foreground = foreground & 0xFFFFFF;
    m_background = background & 0xFFFFFF;
    update();
}

void CColourDisplay::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // Black and white frames keep a swatch visible whatever its colour.
    auto swatch = [&p](const QRect& r, uint32_t colour) {
        p.fillRect(r, ToQColor(colour));
        p.setPen(Qt::black);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setPen(Qt::white);
        p.drawRect(r.adjusted(1, 1, -2, -2));
    };
    swatch(BackgroundRect(), m_background);
    swatch(ForegroundRect(), m_foreground);
}

void CColourDisplay::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    // The foreground swatch lies on top.
    if (ForegroundRect().contains(at)) Q_EMIT swatchPressed(true);
    else if (BackgroundRect().contains(at)) Q_EMIT swatchPressed(false);
}
