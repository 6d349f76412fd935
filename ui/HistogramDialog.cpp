#include "HistogramDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "LevelStretch.h"

HistogramStrip::HistogramStrip(QWidget* parent) : QWidget(parent) {
    setFixedSize(sizeHint());
    setCursor(Qt::CrossCursor);
}

void HistogramStrip::SetCounts(const LevelCounts& counts) {
    m_counts = counts;
    update();
}

void HistogramStrip::SetMarkers(LevelLimits markers) {
    m_markers = markers;
    update();
}

void HistogramStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const uint32_t top = *std::max_element(m_counts.begin(), m_counts.end());
    p.setPen(QColor(40, 40, 40));
    for (int v = 0; v < 256 && top > 0; ++v) {
        const int h = int(int64_t(m_counts[size_t(v)]) * kBarsHeight / top);
        if (h > 0) p.drawLine(v, kBarsHeight - 1, v, kBarsHeight - h);
    }
    // Markers: a line through the bars and a triangle under them.
    for (int v : {m_markers.low, m_markers.high}) {
        p.setPen(QColor(220, 0, 0));
        p.drawLine(v, 0, v, kBarsHeight - 1);
        const QPoint tip(v, kBarsHeight + 1);
        const QPoint triangle[3] = {tip, tip + QPoint(-5, 10), tip + QPoint(5, 10)};
        p.setBrush(QColor(220, 0, 0));
        p.drawPolygon(triangle, 3);
    }
}

void HistogramStrip::MoveMarker(int x) {
    const int level = std::clamp(x, 0, 255);
    LevelLimits moved = m_markers;
    if (std::abs(level - moved.low) <= std::abs(level - moved.high)) moved.low = level;
    else moved.high = level;
    if (moved.low >= moved.high) return;  // the markers keep their places
    m_markers = moved;
    update();
    Q_EMIT MarkersMoved();
}

void HistogramStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) MoveMarker(int(event->position().x()));
}

void HistogramStrip::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) MoveMarker(int(event->position().x()));
}

void HistogramStrip::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) Q_EMIT Released();
}

CDlg_Histogram::CDlg_Histogram(const Operation& op, const HistogramSet& set, QWidget* parent)
    : QDialog(parent), m_set(set) {
    setWindowTitle(QString::fromUtf8("픽셀분포조정"));
    auto* channels = new QHBoxLayout;
    const char* names[4] = {"RGB", "R", "G", "B"};
    for (int i = 0; i < 4; ++i) {
        m_channels[i] = new QRadioButton(QString::fromUtf8(names[i]), this);
        channels->addWidget(m_channels[i]);
        connect(m_channels[i], &QRadioButton::toggled, this, [this](bool on) {
            if (!on) return;
            ShowTable();
            Q_EMIT Changed();
        });
    }
    channels->addStretch();
    m_strip = new HistogramStrip(this);
    m_strip->SetMarkers({op.params[kLevelLow].def, op.params[kLevelHigh].def});
    auto* axis = new QLabel(QStringLiteral("0                            127                           255"), this);
    axis->setStyleSheet(QStringLiteral("font-size: 9px;"));
    m_low = new QLabel(this);
    m_high = new QLabel(this);
    m_maximum = new QLabel(this);
    m_range = new QLabel(this);
    m_channels[op.params[kLevelChannel].def]->setChecked(true);

    auto* markers = new QHBoxLayout;
    markers->addWidget(m_low);
    markers->addStretch();
    markers->addWidget(m_high);
    auto* stripColumn = new QVBoxLayout;
    stripColumn->addWidget(m_strip);
    stripColumn->addWidget(axis);
    stripColumn->addLayout(markers);
    auto* facts = new QVBoxLayout;
    facts->addWidget(m_maximum);
    facts->addWidget(m_range);
    facts->addStretch();
    auto* body = new QHBoxLayout;
    body->addLayout(stripColumn);
    body->addSpacing(12);
    body->addLayout(facts);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(channels);
    layout->addLayout(body);
    layout->addWidget(buttons);

    connect(m_strip, &HistogramStrip::MarkersMoved, this, &CDlg_Histogram::ShowMarkers);
    connect(m_strip, &HistogramStrip::Released, this, &CDlg_Histogram::Changed);
    ShowTable();
    ShowMarkers();
}

std::vector<int> CDlg_Histogram::Values() const {
    int channel = 0;
    for (int i = 0; i < 4; ++i)
        if (m_channels[i]->isChecked()) channel = i;
    return {m_strip->Markers().low, m_strip->Markers().high, channel};
}

QString CDlg_Histogram::MaximumText() const { return m_maximum->text(); }
QString CDlg_Histogram::RangeText() const { return m_range->text(); }

void CDlg_Histogram::ShowTable() {
    const LevelCounts& counts = m_set.tables[size_t(Values()[kLevelChannel])];
    m_strip->SetCounts(counts);
    const LevelLimits occupied = OccupiedLimits(counts);
    m_maximum->setText(QString::fromUtf8("최대도수 %1").arg(*std::max_element(counts.begin(), counts.end())));
    m_range->setText(QString::fromUtf8("명암범위 %1 ~ %2").arg(occupied.low).arg(occupied.high));
}

void CDlg_Histogram::ShowMarkers() {
    m_low->setText(QString::number(m_strip->Markers().low));
    m_high->setText(QString::number(m_strip->Markers().high));
}
