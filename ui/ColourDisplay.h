// The colour display of the tool bar: the foreground colour's swatch lies over the
// background colour's, offset to the lower right. A press on a swatch asks for that
// colour to be chosen. Colours are red in the low byte.
#pragma once

#include <QWidget>
#include <cstdint>

class CColourDisplay : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSwatch = 22;  // side of one swatch, pixels
    static constexpr int kOffset = 12;  // the background swatch's offset

    explicit CColourDisplay(QWidget* parent = nullptr);

    void SetColours(uint32_t foreground, uint32_t background);
    uint32_t Foreground() const { return m_foreground; }
    uint32_t Background() const { return m_background; }
    QRect ForegroundRect() const;
    QRect BackgroundRect() const;

    QSize sizeHint() const override;

Q_SIGNALS:
    // true: the foreground swatch was pressed; false: the background swatch.
    void swatchPressed(bool foreground);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    uint32_t m_foreground = 0x000000;
    uint32_t m_background = 0xFFFFFF;
};
