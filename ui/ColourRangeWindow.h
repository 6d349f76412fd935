// " 색상범위 영역지정": the modeless window of the colour-range selection, made once
// and kept. The tolerance slider "0     허용정도   255" (0..255) runs the search at
// every change; the mode buttons "색상추출" (new selection) and "색상추출더하기" (add)
// exclude each other; the two swatches show the display colour and the colour the
// last search selected, and a press on them opens the colour chooser with the search
// colour; the reset button clears the selection. Closing the window takes the outline
// out of the layer. The window works on the document its provider names (the active
// one) and announces every change with documentChanged().
#pragma once

#include <QColor>
#include <QDialog>
#include <QRect>
#include <cstdint>
#include <functional>

class COrinDoc;
struct Workspace;
class QLabel;
class QPushButton;
class QSlider;

class CDlg_ColourRange : public QDialog {
    Q_OBJECT
public:
    // The swatches, window pixels: display colour and selected colour.
    static constexpr QRect kDisplaySwatch{QPoint(20, 15), QPoint(40, 35)};
    static constexpr QRect kSelectedSwatch{QPoint(20, 45), QPoint(40, 65)};

    CDlg_ColourRange(Workspace& workspace, std::function<COrinDoc*()> document, QWidget* parent = nullptr);

    // Slider, mode buttons and swatches from the workspace.
    void Refresh();
    // The search with the workspace's colour, tolerance and mode on the document.
    void Search();
    // A pick in the picture ran the search: show its colour and its pixel count.
    void ShowPick(const QString& countText);
    // The colour chooser with the search colour; on OK the colour is taken and searched.
    void ChooseSearchColour();
    void Reset();
    // Every way of closing the window (title bar, Escape) ends here.
    void done(int result) override;

    // Replaces the colour chooser (tests): initial colour and title in, the chosen
    // colour out (invalid for Cancel).
    std::function<QColor(const QColor&, const QString&)> colourChooser;
    // Runs the search (the editor makes it a long operation that Esc stops); plain call
    // when unset.
    std::function<void(const std::function<void()>&)> runLong;

    QSlider* Slider() const { return m_slider; }
    QLabel* ValueLabel() const { return m_value; }
    QLabel* CountLabel() const { return m_count; }
    QPushButton* NewButton() const { return m_new; }
    QPushButton* AddButton() const { return m_add; }
    QPushButton* ResetButton() const { return m_reset; }
    uint32_t DisplayColour() const { return m_displayColour; }
    uint32_t SelectedColour() const { return m_selectedColour; }

Q_SIGNALS:
    void documentChanged(COrinDoc* doc);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void SetMode(int mode);
    void OnTolerance(int value);

    Workspace& m_ws;
    std::function<COrinDoc*()> m_document;
    QSlider* m_slider;
    QLabel* m_value;
    QLabel* m_count;
    QPushButton* m_new;
    QPushButton* m_add;
    QPushButton* m_reset;
    uint32_t m_displayColour = 0;
    uint32_t m_selectedColour = 0;
};
