// "픽셀분포조정": the histogram of the chosen table (all channels from luminance, R, G, B)
// in a 256-unit strip, its highest count and its tone range, and the low and high
// markers. Pressing or dragging in the strip moves the nearer marker to the pointer's
// level (kept only while low stays below high); releasing inside the strip, or choosing
// another table, emits Changed.
#pragma once

#include <QDialog>
#include <QWidget>
#include <vector>

#include "Histogram.h"
#include "Operations.h"

class QLabel;
class QRadioButton;

// The strip: bars scaled to the highest count, the two markers under them. Levels are
// x - strip left, clamped to 0..255.
class HistogramStrip : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBarsHeight = 128;
    explicit HistogramStrip(QWidget* parent = nullptr);
    void SetCounts(const LevelCounts& counts);
    LevelLimits Markers() const { return m_markers; }
    void SetMarkers(LevelLimits markers);
    QSize sizeHint() const override { return {256, kBarsHeight + 12}; }

Q_SIGNALS:
    void MarkersMoved();
    void Released();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void MoveMarker(int x);
    LevelCounts m_counts{};
    LevelLimits m_markers;
};

class CDlg_Histogram : public QDialog {
    Q_OBJECT
public:
    // `set`: the histograms of the start image.
    CDlg_Histogram(const Operation& op, const HistogramSet& set, QWidget* parent = nullptr);
    // low, high, channel as the table entry orders them.
    std::vector<int> Values() const;
    HistogramStrip* Strip() const { return m_strip; }
    QRadioButton* Channel(int i) const { return m_channels[i]; }
    QString MaximumText() const;
    QString RangeText() const;

Q_SIGNALS:
    void Changed();

private:
    void ShowTable();
    void ShowMarkers();
    HistogramSet m_set;
    HistogramStrip* m_strip;
    QRadioButton* m_channels[4];
    QLabel* m_maximum;
    QLabel* m_range;
    QLabel* m_low;
    QLabel* m_high;
};
