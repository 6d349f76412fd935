// The dialogs of the transforms: the angle of "자유회전", the new size of "그림크기조정"
// (pixels and percent, with the aspect lock) and the new canvas of "캔버스 크기 늘리기"
// (the present size under "현재크기", nine anchor buttons under "확장방향"). Ranges,
// labels and defaults come from the operations' table entries; the values go back as
// the table counts them (the angle in hundredths of a degree).
#pragma once

#include <QDialog>

#include "Operations.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QDoubleSpinBox;
class QSpinBox;

class CDlg_FreeRotate : public QDialog {
    Q_OBJECT
public:
    CDlg_FreeRotate(const OpParam& angle, int hundredths, QWidget* parent = nullptr);
    int Angle() const;  // hundredths of a degree, positive clockwise
    QDoubleSpinBox* Edit() const { return m_angle; }

private:
    QDoubleSpinBox* m_angle;
};

class CDlg_ImageSize : public QDialog {
    Q_OBJECT
public:
    CDlg_ImageSize(int width, int height, const OpParam& widthParam, const OpParam& heightParam,
                   QWidget* parent = nullptr);
    int NewWidth() const;
    int NewHeight() const;
    QSpinBox* WidthEdit() const { return m_width; }
    QSpinBox* HeightEdit() const { return m_height; }
    QSpinBox* WidthPercent() const { return m_widthPercent; }
    QSpinBox* HeightPercent() const { return m_heightPercent; }
    QCheckBox* Lock() const { return m_lock; }

private:
    void PixelsChanged(bool widthSide);
    void PercentChanged(bool widthSide);
    void Show(int width, int height, int widthPercent, int heightPercent);
    int m_presentWidth, m_presentHeight;
    bool m_updating = false;
    // What the boxes were last given (width, height, their percents): a box that signals
    // its value again, as it may when the focus moves, changes nothing.
    int m_shown[4] = {0, 0, 100, 100};
    QSpinBox *m_width, *m_height, *m_widthPercent, *m_heightPercent;
    QCheckBox* m_lock;
};

class CDlg_CanvasSize : public QDialog {
    Q_OBJECT
public:
    CDlg_CanvasSize(int width, int height, const Operation& op, QWidget* parent = nullptr);
    int NewWidth() const;
    int NewHeight() const;
    int Anchor() const;
    QSpinBox* WidthEdit() const { return m_width; }
    QSpinBox* HeightEdit() const { return m_height; }
    QAbstractButton* AnchorButton(int anchor) const;

private:
    void ShowDirections();
    QSpinBox *m_width, *m_height;
    QButtonGroup* m_anchors;
};
