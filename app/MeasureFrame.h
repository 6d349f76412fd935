// CMeasureFrame: the editor's side of measuring. It keeps the measurement panel (the
// tools dialog, shown by "분석 환경 설정"), the view's measurement pop-up menu (menu
// 3185), runs the measurement commands on the active document (the tools, vector undo
// and redo, the end of continuous measurement, the standards dialog and the exports)
// and answers what the measurement tools report from a view (a finished object, a
// label's place, a new standard's pixels, a refusal).
#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "MeasureTools.h"

class CMainFrame;
class CMeasureToolsDialog;
class COrinDoc;
class QMenu;
struct Workspace;

class CMeasureFrame : public QObject {
    Q_OBJECT
public:
    CMeasureFrame(CMainFrame& frame, Workspace& ws);

    // Menu 3185: the tools, then the vector commands, the standards and the exports.
    QMenu* Menu() const { return m_menu; }
    // The measurement panel, made on first use.
    CMeasureToolsDialog* Panel();
    bool PanelShown() const;

    bool IsCommand(int id) const;
    bool IsEnabled(int id, const COrinDoc* doc) const;
    void Run(int id, COrinDoc* doc);
    // A measurement tool is armed on the document: the view's input goes to it.
    static bool Armed(const COrinDoc* doc);
    // The view shows menu 3185 rather than the picture's menu.
    bool WantsMenu(const COrinDoc* doc) const;
    // Every document's measurement tool is put down (another tool was chosen).
    void EndAll();
    // A measurement tool's report from a view of `doc`.
    void Outcome(COrinDoc* doc, const ToolOutcome& outcome);
    // Enables the menu's entries for the active document.
    void UpdateStates();

    // The label text of a "글자" object (the input box unless replaced: tests); false
    // when cancelled.
    std::function<bool(QString& text)> askText;
    // The sheet of "엑셀로 변환" (from 1, 0 when cancelled; the dialog unless replaced).
    std::function<int(const std::vector<std::string>& sheets)> chooseSheet;
    // Runs the standards dialog (the dialog unless replaced); `measured` holds the
    // pixels of a standard just measured on the picture, or is null.
    std::function<void(const MeasurePoint* measured)> standardsDialog;

Q_SIGNALS:
    // The document's measurement objects or their values changed: repaint it.
    void documentChanged(COrinDoc* doc);

private:
    void ChooseTool(const MeasureToolInfo& tool, COrinDoc* doc);
    void RunStandardsDialog(const MeasurePoint* measured);
    // "축척 막대...": a new scale bar, or the current scale-bar layer's values again.
    void ScaleBarCommand(COrinDoc* doc);
    void ExportSheet(COrinDoc* doc);
    void Redraw();
    void Report(const std::string& text);

    CMainFrame& m_frame;
    Workspace& m_ws;
    QMenu* m_menu = nullptr;
    CMeasureToolsDialog* m_panel = nullptr;
    // What the last new bar used, offered for the next one.
    uint32_t m_barColour = 0xFFFFFF;
    int m_barCorner = 0;
};
