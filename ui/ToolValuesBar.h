// The tool bar of the painting tools' values: the brush size (through the brush-size
// dialog), the soft flag, the inclusion limit "포함한계치" (slider 0..60) with the edge
// spread "경계퍼짐" beside it, and the drawing colours (the colour display, a press on
// a swatch opens the colour chooser, and a swap button). Every value is read from and
// written to the workspace; Refresh() shows what the core set (choosing auto select
// makes the limit 25, choosing fill 10; a colour pick sets the foreground colour).
#pragma once

#include <QColor>
#include <QToolBar>
#include <functional>

struct Workspace;
class CColourDisplay;
class QLabel;
class QSlider;
class QSpinBox;
class QToolButton;

class CToolValuesBar : public QToolBar {
    Q_OBJECT
public:
    static constexpr int kLimitMax = 60;
    static constexpr int kSpreadMax = 255;

    explicit CToolValuesBar(Workspace& workspace, QWidget* parent = nullptr);

    // Every widget from the workspace.
    void Refresh();
    void RefreshColours();

    // The brush-size dialog; the chosen size goes to the workspace.
    void ChooseBrushSize();
    // The colour chooser for the foreground (true) or background colour.
    void ChooseColour(bool foreground);
    void SwapColours();

    // Replaces the colour chooser (tests): initial colour and title in, the chosen
    // colour out (invalid for Cancel).
    std::function<QColor(const QColor&, const QString&)> colourChooser;

    QToolButton* BrushSizeButton() const { return m_brushSize; }
    QToolButton* SoftButton() const { return m_soft; }
    QSlider* LimitSlider() const { return m_limit; }
    QLabel* LimitValue() const { return m_limitValue; }
    QSpinBox* SpreadEdit() const { return m_spread; }
    CColourDisplay* Colours() const { return m_colours; }
    QToolButton* SwapButton() const { return m_swap; }

Q_SIGNALS:
    // The drawing colours changed here (the chooser or the swap).
    void coloursEdited();

private:
    Workspace& m_ws;
    QToolButton* m_brushSize;
    QToolButton* m_soft;
    QSlider* m_limit;
    QLabel* m_limitValue;
    QSpinBox* m_spread;
    CColourDisplay* m_colours;
    QToolButton* m_swap;
};
