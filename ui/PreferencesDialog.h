// "환경설정": the preferences dialog. It shows and collects the display and start-up
// values that the settings file keeps (grid spacing and colour, the background hatch,
// the cursor kind, the update and guide switches), the selection-outline kind of this
// session, and the JPEG quality and resolution of the active picture. The caller
// writes the values back; the dialog changes nothing itself.
#pragma once

#include <QDialog>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;

struct PreferenceValues {
    int gridGap = 16;                // as entered; GridGapFromEntry makes it a spacing
    uint32_t gridColour = 0xC0C0C0;  // red in the low byte
    int hatch = 0;                   // 0..5, the settings file's TranspRep
    int outlineKind = 0;             // 0..4
    int cursorKind = 5;              // 1 arrow, 2 up-arrow, 3 own cursor, 4 I-beam, 5 cross-hair
    bool updateCheck = true;         // UD
    bool guide = false;              // the second value of WS
    bool hasPicture = false;         // the picture values below are shown and kept
    int jpegQuality = 100;           // 1..100
    int dpiX = 72, dpiY = 72;        // 1..9999
};

// The grid spacing an entry gives: the entry when above 3, else 4; at most 40. The
// grid stays shown or hidden as it was (the sign of the stored gap).
int GridGapFromEntry(int entered, bool shown);

class CDlg_Preferences : public QDialog {
    Q_OBJECT
public:
    explicit CDlg_Preferences(const PreferenceValues& values, QWidget* parent = nullptr);
    PreferenceValues Values() const;

    QSpinBox* GridGapBox() const { return m_gap; }
    QPushButton* GridColourButton() const { return m_colourButton; }
    QComboBox* HatchBox() const { return m_hatch; }
    QComboBox* OutlineKindBox() const { return m_outline; }
    QComboBox* CursorKindBox() const { return m_cursor; }
    QCheckBox* UpdateBox() const { return m_update; }
    QCheckBox* GuideBox() const { return m_guide; }
    QSpinBox* QualityBox() const { return m_quality; }
    QSpinBox* DpiXBox() const { return m_dpiX; }
    QSpinBox* DpiYBox() const { return m_dpiY; }
    void SetGridColour(uint32_t colour);

private:
    PreferenceValues m_values;
    QSpinBox* m_gap;
    QPushButton* m_colourButton;
    QComboBox* m_hatch;
    QComboBox* m_outline;
    QComboBox* m_cursor;
    QCheckBox* m_update;
    QCheckBox* m_guide;
    QSpinBox* m_quality;
    QSpinBox* m_dpiX;
    QSpinBox* m_dpiY;
};
