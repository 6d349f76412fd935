// "명도·대비 조정": brightness and contrast, each -255..255 from the table entry of
// command 1450. Every change of a value emits Changed; the caller previews.
#pragma once

#include <QDialog>
#include <vector>

#include "Operations.h"

class ValueSlider;

class CDlg_BrightnessContrast : public QDialog {
    Q_OBJECT
public:
    explicit CDlg_BrightnessContrast(const Operation& op, QWidget* parent = nullptr);
    std::vector<int> Values() const;
    ValueSlider* Brightness() const { return m_brightness; }
    ValueSlider* Contrast() const { return m_contrast; }

Q_SIGNALS:
    void Changed();

private:
    ValueSlider* m_brightness;
    ValueSlider* m_contrast;
};
