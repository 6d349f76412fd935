// One value of an adjustment dialog: its label, a slider with a scale text under it and
// an edit box of at most 5 characters beside it. Releasing the slider copies its
// position into the box; a change of the box (typed, or from the slider) moves the
// slider and emits Changed. The range, label and start value come from a parameter of
// the operation table.
#pragma once

#include <QWidget>

#include "Operations.h"

class QLabel;
class QLineEdit;
class QSlider;

class ValueSlider : public QWidget {
    Q_OBJECT
public:
    ValueSlider(const OpParam& param, const QString& scale, QWidget* parent = nullptr);
    int Value() const;
    // Sets the value without emitting Changed.
    void Reset(int value);
    void SetLabel(const QString& text);
    QSlider* Slider() const { return m_slider; }
    QLineEdit* Edit() const { return m_edit; }

Q_SIGNALS:
    void Changed();

private:
    OpParam m_param;
    QLabel* m_label;
    QSlider* m_slider;
    QLineEdit* m_edit;
};
