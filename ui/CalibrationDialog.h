// "측정 기준": the standards dialog. It reads the standards file of the program folder
// when it opens, lets the user pick, add ("추가"), save ("저장"), delete ("삭제") a
// standard or measure a new one on the picture ("기준설정", which closes the dialog:
// the caller starts the measurement and opens the dialog again in its new-standard
// form), and on OK makes the shown standard the current calibration.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "Calibration.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

class Dlg_Calibration : public QDialog {
    Q_OBJECT
public:
    // `current` is the main frame's calibration, changed only by OK.
    Dlg_Calibration(const std::string& folder, Calibration& current, QWidget* parent = nullptr);

    // The new-standard form: "새기준", the measured pixels, "um" and "1.0".
    void ShowNewStandard(int xPixels, int yPixels);
    // Lists `standard` (a picture's own scale) after the table's standards, and with
    // `select` shows it, so that OK makes it current; it joins the table only when the
    // user saves it or presses OK on it.
    void OfferStandard(const MeasureStandard& standard, bool select);
    // True after "기준설정" closed the dialog.
    bool MeasureRequested() const { return m_measureRequested; }

    const StandardsTable& Table() const { return m_table; }
    QComboBox* NameBox() const { return m_name; }
    QLineEdit* XField() const { return m_x; }
    QLineEdit* YField() const { return m_y; }
    QComboBox* UnitBox() const { return m_unit; }
    QLineEdit* LengthField() const { return m_length; }
    QCheckBox* OptionBox() const { return m_option; }
    QPushButton* AddButton() const { return m_add; }
    QPushButton* DeleteButton() const { return m_delete; }
    QPushButton* MeasureButton() const { return m_measure; }
    QPushButton* SaveButton() const { return m_save; }
    QPushButton* OkButton() const { return m_ok; }

    // Shows a refusal; the editor's message box, replaced by tests.
    std::function<void(const QString&)> showMessage;

private:
    void Fill(int select);
    void ShowStandard(int index);
    bool SaveFields(bool makeCurrent);
    void Add();
    void Delete();
    void Ok();

    std::string m_folder;
    Calibration& m_current;
    StandardsTable m_table;
    std::optional<MeasureStandard> m_offered;
    bool m_measureRequested = false;
    QComboBox* m_name = nullptr;
    QLineEdit* m_x = nullptr;
    QLineEdit* m_y = nullptr;
    QComboBox* m_unit = nullptr;
    QLineEdit* m_length = nullptr;
    QCheckBox* m_option = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_measure = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_ok = nullptr;
};
