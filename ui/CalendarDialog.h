// "달력 넣기": the calendar dialog. Year (never below 1) and month (wrapping between 12
// and 1) with the month's preview, the face, the size (2..120, "12" first), the style
// and the colour. OK draws the calendar; the move tool then places it.
#pragma once

#include <QDialog>

#include "Calendar.h"

class QComboBox;
class QLabel;
class QSpinBox;
class CColourSwatch;

class CDlg_Calendar : public QDialog {
    Q_OBJECT
public:
    CDlg_Calendar(const CalendarSettings& start, QWidget* parent = nullptr);
    CalendarSettings Values() const;

    QSpinBox* YearBox() const { return m_year; }
    QSpinBox* MonthBox() const { return m_month; }
    QComboBox* FaceBox() const { return m_face; }
    QComboBox* SizeBox() const { return m_size; }
    QComboBox* StyleBox() const { return m_style; }
    CColourSwatch* ColourButton() const { return m_colour; }
    QLabel* Preview() const { return m_preview; }

private:
    void ShowPreview();

    QSpinBox* m_year;
    QSpinBox* m_month;
    QComboBox* m_face;
    QComboBox* m_size;
    QComboBox* m_style;
    CColourSwatch* m_colour;
    QLabel* m_preview;
};
