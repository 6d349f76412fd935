// "RGB색상조정": channel offsets from the table entry of command 1503, in two modes.
// "RGB조정" shows red, green and blue (-99..99); "HSL조정" shows hue and saturation and
// hides the third value. Switching the mode sets every value to 0. Every change of a
// value or of the mode emits Changed.
#pragma once

#include <QDialog>
#include <vector>

#include "Operations.h"

class QRadioButton;
class ValueSlider;

class CDlg_ColourAdjust : public QDialog {
    Q_OBJECT
public:
    explicit CDlg_ColourAdjust(const Operation& op, QWidget* parent = nullptr);
    // r, g, b, mode as the table entry orders them.
    std::vector<int> Values() const;
    QRadioButton* RgbMode() const { return m_rgb; }
    QRadioButton* HslMode() const { return m_hsl; }
    ValueSlider* Value(int i) const { return m_values[i]; }

Q_SIGNALS:
    void Changed();

private:
    void SwitchMode();
    QRadioButton* m_rgb;
    QRadioButton* m_hsl;
    ValueSlider* m_values[3];
};
