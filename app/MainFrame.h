// CMainFrame: the main window. It holds the menus built from the command map, the
// tool bars, the status bar with its progress bar, the MDI area with one child window
// per view, and the layer and history panel; it keeps the settings, the workspace
// (current tool, colours, clipboard) and the open documents in the order they were
// opened. Every command ends in a call on the core.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QMessageBox>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Document.h"
#include "EffectCatalogue.h"
#include "FaceTransform.h"
#include "FaceTransformWindow.h"
#include "LayerKeeping.h"
#include "Operations.h"
#include "PhotoFrame.h"
#include "ProgramFolders.h"
#include "RecentFiles.h"
#include "SettingsFile.h"
#include "Workspace.h"

class CDlg_ColourRange;
struct PreferenceValues;
class CEffectBar;
class QComboBox;
class CDlg_Gradient;
class CLayerPanel;
class CMeasureFrame;
class COrinView;
class CStartPage;
class CToolValuesBar;
class QDockWidget;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QMimeData;
class QPrinter;
class QProgressBar;
class QStackedWidget;
class QtDocumentHost;
class QTimer;
class RecoverySession;
struct RecoverableCopy;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame(const ProgramFolders& folders, const Settings& settings, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Documents and views.
    COrinDoc* OpenFile(const QString& path);
    COrinDoc* NewPicture(int width, int height, const QString& name);
    COrinDoc* AdoptDocument(std::unique_ptr<COrinDoc> doc);
    // Crash recovery: the copies of documents with unsaved changes, kept every few
    // minutes; a copy that a crashed editor left opens as an unsaved document.
    void KeepRecoveryCopies();
    COrinDoc* OpenRecovered(const RecoverableCopy& copy);
    RecoverySession* Recovery() const { return m_recovery.get(); }
    COrinView* AddView(COrinDoc* doc);
    // Files dropped on the main window open as by the Open command.
    void OpenDroppedFiles(const QMimeData& data);
    bool CloseDocument(COrinDoc* doc, bool ask);
    COrinDoc* ActiveDocument() const;
    COrinView* ActiveView() const;
    int DocumentCount() const { return int(m_documents.size()); }
    COrinDoc* DocumentAt(int i) const { return m_documents[size_t(i)].get(); }
    std::vector<COrinView*> ViewsOf(const COrinDoc* doc) const;

    // Commands by menu id.
    void RunCommand(int id);
    bool IsCommandEnabled(int id) const;
    void UpdateCommandStates();
    QAction* CommandAction(int id) const;
    QMenu* PictureMenu() const { return m_pictureMenu; }
    CLayerPanel* LayerPanel() const { return m_panel; }
    QDockWidget* LayerPanelWindow() const { return m_panelDock; }
    QMdiArea* MdiArea() const { return m_mdi; }
    // What an empty editor shows: new picture, open, the recent files.
    CStartPage* StartPage() const { return m_startPage; }
    bool StartPageShown() const;
    CToolValuesBar* ToolValues() const { return m_toolValues; }
    // The gradient window (shown when the gradient becomes the tool) and the colour-range
    // window (made on first use and kept); null before they are first shown.
    CDlg_Gradient* GradientWindow() const { return m_gradientWindow; }
    CDlg_ColourRange* ColourRangeWindow() const { return m_colourRangeWindow; }
    // The measurement panel, menu and commands.
    CMeasureFrame* Measure() const { return m_measure; }
    // The effect list (22 effects, index 0 at start-up) and the effect bar while it is open.
    QComboBox* EffectList() const { return m_effectList; }
    CEffectBar* EffectBarWindow() const { return m_effectBar; }
    // Opens the effect bar for `name` (an effect of the list or "임계치변환") on `doc`,
    // modally; "닫기" records the step named after the effect, Cancel restores.
    void OpenEffectBar(COrinDoc* doc, const std::string& name);

    // Redraws the document's views and refreshes titles, panel and command states. With
    // `pixelsOnly` (a stroke's release) the views repaint only the pixels that changed.
    void RefreshDocument(COrinDoc* doc, bool pixelsOnly = false);
    // Tells every view of the document about a change (hint 1025: the zoom changed).
    void UpdateViews(COrinDoc* doc, int hint);

    Workspace& GetWorkspace() { return m_ws; }
    // The preferences dialog's values applied: views, the active picture, and the
    // settings file written at once.
    void ApplyPreferences(const PreferenceValues& values, COrinDoc* doc);
    // A double click on a layer row: the layer properties dialog; OK records one step.
    void LayerPropertiesCommand(COrinDoc* doc);
    QtDocumentHost& Host() const { return *m_host; }
    const OperationTable& Operations() const { return m_operations; }
    RecentFileList& Recent() { return m_recent; }
    // Which documents' layers only the open document holds.
    const LayerKeeping& Keeping() const { return m_layerKeeping; }
    // Where the user's workbook and measurement exports live.
    const std::string& ProgramFolder() const { return m_programFolder; }
    // Where the settings file is read and written.
    const std::string& SettingsFolder() const { return m_settingsFolder; }
    // Where the tool bars' and panels' places are kept between runs (beside the settings file).
    QString LayoutFilePath() const;
    // The settings as they stand now (what the exit writes).
    Settings CurrentSettings() const;

    // The exit and close question "[%s] 파일을 저장하시겠습니까?" (Yes, No, Cancel);
    // the box unless replaced (tests).
    // Also the once-told notice that a picture format drops layers (OK, Cancel) and the
    // close question "...프로젝트(.tsr)로 저장하시겠습니까?" (Yes, No, Cancel).
    std::function<QMessageBox::StandardButton(const QString&)> saveQuestion;
    // Replaces the save dialog (tests): the suggested name in, the chosen path out
    // (empty for Cancel).
    std::function<QString(const QString&)> savePath;
    // Replaces the scanner choice (tests): the devices' labels and the current one in,
    // the chosen index out (-1 for Cancel).
    std::function<int(const QStringList&, int)> scanDeviceChoice;

    void ShowMaximised();

    // Prints the composite of `doc` on `printer`.
    static void PrintDocument(QPrinter& printer, COrinDoc& doc);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The command table: a menu entry's handler, its enable rule and the state its check
    // mark shows. Entries not in it are tools (the tool table) or operations of the
    // operation table, enabled while a picture is open.
    enum class EnableRule { kAlways, kPicture, kViews, kUndo, kRedo, kZoomIn, kZoomOut, kActualSize, kSelection };
    enum class CheckRule { kNone, kGrid, kStretch, kLayerPanel };
    struct FrameCommand {
        int id;
        void (*run)(CMainFrame& frame, COrinDoc* doc);
        EnableRule enable;
        CheckRule check = CheckRule::kNone;
    };
    static const std::vector<FrameCommand>& FrameCommands();
    static const FrameCommand* FindFrameCommand(int id);
    bool RuleHolds(EnableRule rule) const;
    // An operation of the table on the active picture, under the wait cursor.
    void RunOperation(const Operation& op, COrinDoc* doc);
    void RunOperation(const Operation& op, COrinDoc* doc, const OpValues& values);

    void BuildMenus();
    void AddExifOrientationAction();
    void BuildToolBars();
    void BuildEffectList();
    void BuildStatusBar();
    void BuildLayerPanel();
    void BuildStartPage();
    void ShowStartPage(bool show);
    void FillRecentFiles();
    void FillWindowMenu();
    void ShowPictureMenu(COrinView* view, const QPoint& globalPos);
    void ApplySettings();
    void ForgetView(COrinView* view, COrinDoc* doc);
    void OnViewActivated(COrinView* view);
    void UpdateStatusInfo();
    void ReportStatus(const Status& status);

    // Command handlers of the main frame.
    void NewPictureCommand();
    void OpenCommand();
    // Saves to the document's path or through the dialog; `asProject` offers a project
    // beside the picture.
    bool SaveCommand(COrinDoc* doc, bool saveAs, bool asProject = false);
    bool ConfirmClose(COrinDoc* doc);
    // A document whose layers only a flat picture holds asks to be saved as a project;
    // false for Cancel or a save that did not happen.
    bool ConfirmLayersKept(COrinDoc* doc);
    QMessageBox::StandardButton Ask(const QString& text, QMessageBox::StandardButtons buttons);
    void PrintCommand();
    void PrintSetupCommand();
    void CaptureCommand();
    // The scanner entries: choose a device (false when none was chosen), and read a
    // picture from it into a new document.
    bool ScanSourceCommand();
    void ScanCommand();
    void CutToNewCommand(COrinDoc* doc);
    void LayerEffectCommand(COrinDoc* doc);
    // 1571: the preferences dialog.
    void PreferencesCommand(COrinDoc* doc);
    // Brightness and contrast, channel offsets and the histogram: the dialog of the
    // operation `id` with its live preview on the current layer.
    void AdjustmentCommand(COrinDoc* doc, int id);
    // "RGB구분": the current layer's planes in the channel viewer, whose buttons open
    // channels as new documents.
    void ChannelViewerCommand(COrinDoc* doc);
    void RenameLayerCommand(COrinDoc* doc);
    // The transforms that ask for values first.
    void FreeRotateCommand(COrinDoc* doc);
    void ResizeCommand(COrinDoc* doc);
    void CanvasSizeCommand(COrinDoc* doc);
    // "글자입력": a new text at canvas point (x, y) (top-down), or the current text layer's
    // text with `edit`. OK writes the text layer and keeps the dialog's values.
    void TextCommand(COrinDoc* doc, int x, int y, bool edit);
    // "달력 넣기", "사진틀 넣기": their dialogs at the left edge, below the tool bars.
    void CalendarCommand(COrinDoc* doc);
    void PhotoFrameCommand(COrinDoc* doc);
    // "얼굴 변형": the modeless face window on the active picture; it ends with its OK
    // (keeps the result) or when it is closed (back to the start picture).
    void FaceTransformCommand(COrinDoc* doc);
    void EndFaceTransform(bool keep);
    CDlg_FaceTransform* FaceWindow() const { return m_faceWindow; }
    // Places a command's dialog at the main frame's left edge, below the tool bars.
    void PlaceAtLeftEdge(QWidget* dialog) const;
    void ChooseToolFromMenu(COrinDoc* doc, int id);
    // The current tool changed: cursors, tool-bar values and command states follow.
    void ToolChanged();
    void ShowGradientWindow();
    void ShowColourRangeWindow();
    void ZoomInCommand(COrinDoc* doc);
    void ZoomOutCommand(COrinDoc* doc);
    void CloseAllCommand();

    std::string m_programFolder;
    std::string m_settingsFolder;
    Settings m_settings;
    Workspace m_ws;
    QtDocumentHost* m_host;
    OperationTable m_operations;
    int m_lastRotation = 0;  // the free rotation's last angle, hundredths of a degree
    std::pair<int, int> m_panelCanvas{-1, -1};  // the canvas size before the layer panel's change
    RecentFileList m_recent;
    std::vector<std::unique_ptr<COrinDoc>> m_documents;
    std::unique_ptr<RecoverySession> m_recovery;
    QTimer* m_recoveryTimer = nullptr;
    std::vector<COrinView*> m_views;
    std::map<const QMdiSubWindow*, COrinView*> m_frameViews;
    COrinView* m_activeView = nullptr;
    bool m_closingQuietly = false;

    QMdiArea* m_mdi;
    LayerKeeping m_layerKeeping;
    QStackedWidget* m_central = nullptr;  // the start page while no window is open, else the windows
    CStartPage* m_startPage = nullptr;
    CLayerPanel* m_panel = nullptr;
    QDockWidget* m_panelDock = nullptr;
    CToolValuesBar* m_toolValues = nullptr;
    CDlg_Gradient* m_gradientWindow = nullptr;
    CDlg_ColourRange* m_colourRangeWindow = nullptr;
    QComboBox* m_effectList = nullptr;
    CEffectBar* m_effectBar = nullptr;
    TranslationPairs m_translations;
    std::map<int, QAction*> m_actions;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_windowMenu = nullptr;
    QAction* m_exitAction = nullptr;
    QList<QAction*> m_recentActions;
    QList<QAction*> m_windowActions;
    QMenu* m_pictureMenu = nullptr;
    QLabel* m_statusText = nullptr;
    QLabel* m_pictureInfo = nullptr;
    QLabel* m_pointerInfo = nullptr;  // the picture pixel under the pointer
    QComboBox* m_zoomBox = nullptr;
    QProgressBar* m_progress = nullptr;
    std::unique_ptr<QPrinter> m_printer;
    CMeasureFrame* m_measure = nullptr;
    FrameSettings m_frameSettings;
    QPointer<CDlg_FaceTransform> m_faceWindow;
    std::unique_ptr<FaceSession> m_faceSession;
    COrinDoc* m_faceDoc = nullptr;
};
