// "축척 막대": the scale bar's dialog. Length and unit (the units the current standard
// converts to), the corner, colour, face and the label's pixel size; the standard the
// bar is drawn from is shown above them.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "ScaleBar.h"

class CColourSwatch;
class QComboBox;
class QLineEdit;
class QSpinBox;

class CDlg_ScaleBar : public QDialog {
    Q_OBJECT
public:
    // `units`: what the unit list offers (the start's unit is added when missing).
    CDlg_ScaleBar(const ScaleBarSettings& start, const std::vector<std::string>& units, const Calibration& standard,
                  QWidget* parent = nullptr);
    // The values as entered; a length that is not a number comes back as 0 (refused).
    ScaleBarSettings Values() const;

private:
    QLineEdit* m_length;
    QComboBox* m_unit;
    QComboBox* m_corner;
    CColourSwatch* m_colour;
    QComboBox* m_face;
    QSpinBox* m_size;
};
