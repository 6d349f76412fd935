// "레이어효과": the drop shadow's size ("효과크기", slider and edit field in step) and
// colour ("그림자색상"). Colours are red in the low byte.
#pragma once

#include <QDialog>
#include <cstdint>

class QPushButton;
class QSlider;
class QSpinBox;

class CDlg_LayerEffect : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxSize = 30;
    explicit CDlg_LayerEffect(QWidget* parent = nullptr);

    void SetValues(int size, uint32_t colour);
    int EffectSize() const;
    uint32_t ShadowColour() const { return m_colour; }
    QSlider* Slider() const { return m_slider; }
    QSpinBox* Edit() const { return m_edit; }

private:
    void ChooseColour();
    void ShowColour();
    QSlider* m_slider;
    QSpinBox* m_edit;
    QPushButton* m_colourButton;
    uint32_t m_colour = 0;
};
