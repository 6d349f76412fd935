// The measurement panel's tools dialog: the eight tools ("선분표시" ... "선택과수정"), the
// polyline, polygon and text tools beside them, and the current standard after
// "측정기준:", and below them the commands of the panel (the standards, vector undo and
// redo, the end of continuous measurement and the exports). Choosing a button sends its
// command id; the dialog does not measure.
#pragma once

#include <QDialog>
#include <map>

#include "Calibration.h"

class QLabel;
class QPushButton;

class CMeasureToolsDialog : public QDialog {
    Q_OBJECT
public:
    explicit CMeasureToolsDialog(QWidget* parent = nullptr);

    // The button of the tool whose command id is the current tool is shown pressed.
    void SetCurrentTool(int id);
    void SetStandard(const Calibration& calibration);
    QPushButton* ToolButton(int id) const;
    QPushButton* CommandButton(int id) const;
    QLabel* StandardLabel() const { return m_standard; }

Q_SIGNALS:
    void toolChosen(int id);
    void commandChosen(int id);

private:
    std::map<int, QPushButton*> m_buttons;
    std::map<int, QPushButton*> m_commands;
    QLabel* m_standard = nullptr;
};

// "엑셀로 변환": the sheets of the workbook; "변환" puts the table and the picture into
// the chosen one.
class DlgExcel : public QDialog {
    Q_OBJECT
public:
    DlgExcel(const std::vector<std::string>& sheets, QWidget* parent = nullptr);
    int Sheet() const;  // from 1
    class QListWidget* SheetList() const { return m_list; }

private:
    class QListWidget* m_list = nullptr;
};
