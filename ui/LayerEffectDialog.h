// "레이어효과": the drop shadow's size (slider and edit field in step) and colour, as
// the table entry of command 1558 names them. Colours are red in the low byte.
#pragma once

#include <QDialog>
#include <cstdint>

#include "Operations.h"

class QPushButton;
class QSlider;
class QSpinBox;

class CDlg_LayerEffect : public QDialog {
    Q_OBJECT
public:
    // The size's range, labels and default come from the operation's table entry.
    CDlg_LayerEffect(const OpParam& size, const OpParam& colour, QWidget* parent = nullptr);

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
    QString m_colourLabel;
    uint32_t m_colour = 0;
};
