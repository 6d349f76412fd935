// "얼굴 변형": the face transform's small modeless window (260 x 180). Mode "늘리기"
// (enlarge) or "쭈구리기" (squash), the strength (0.0 .. 10.0 in steps of 0.1) and a
// second value that enters no computation; the rectangle button chooses the rectangle
// selection, the transform button transforms the selected rectangle, "시작 영상" goes
// back to the picture as it was, OK keeps the result.
#pragma once

#include <QDialog>

#include "FaceTransform.h"

class QDoubleSpinBox;
class QPushButton;
class QRadioButton;

class CDlg_FaceTransform : public QDialog {
    Q_OBJECT
public:
    explicit CDlg_FaceTransform(QWidget* parent = nullptr);
    FaceSettings Values() const;

    QRadioButton* ModeButton(int mode) const { return mode == 0 ? m_enlarge : m_squash; }
    QDoubleSpinBox* StrengthBox() const { return m_strength; }
    QDoubleSpinBox* SecondBox() const { return m_second; }
    QPushButton* RectangleButton() const { return m_rectangle; }
    QPushButton* TransformButton() const { return m_transform; }
    QPushButton* RestartButton() const { return m_restart; }
    QPushButton* OkButton() const { return m_ok; }

Q_SIGNALS:
    void rectangleRequested();
    void transformRequested();
    void restartRequested();

private:
    QRadioButton* m_enlarge;
    QRadioButton* m_squash;
    QDoubleSpinBox* m_strength;
    QDoubleSpinBox* m_second;
    QPushButton* m_rectangle;
    QPushButton* m_transform;
    QPushButton* m_restart;
    QPushButton* m_ok;
};
