#include "MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QComboBox>
#include <QSettings>
#include <QDir>
#include <QStandardPaths>
#include <cmath>
#include <QProgressBar>
#include <QScrollBar>
#include <QInputDialog>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "AppIcon.h"
#include "BrightnessContrastDialog.h"
#include "BuiltinOperations.h"
#include "ChannelSplit.h"
#include "ChannelViewerDialog.h"
#include "ClipboardOps.h"
#include "Codecs.h"
#include "ColourAdjustDialog.h"
#include "ColourRangeWindow.h"
#include "CommandMap.h"
#include "Compositor.h"
#include "DocumentOperations.h"
#include "EditSteps.h"
#include "EditSteps.h"
#include "EffectBar.h"
#include "EffectCatalogue.h"
#include "GradientWindow.h"
#include "HistogramDialog.h"
#include "History.h"
#include "LayerEffectDialog.h"
#include "LayerNameDialog.h"
#include "LayerOps.h"
#include "LayerPanel.h"
#include "LayerPropertiesDialog.h"
#include "LivePreview.h"
#include "MeasureFile.h"
#include "MeasureFrame.h"
#include "MeasureState.h"
#include "Messages.h"
#include "NewPicture.h"
#include "NewPictureDialog.h"
#include "OpenPictureDialog.h"
#include "OpenSave.h"
#include "OrinView.h"
#include "Preferences.h"
#include "PreferencesDialog.h"
#include "QtHost.h"
#include "Recovery.h"
#include "Resize.h"
#include "ScreenCapture.h"
#include "Selection.h"
#include "SelectionCommands.h"
#include "StartupWindows.h"
#include "StepSpace.h"
#include "StepStorage.h"
#include "ToolRouter.h"
#include "Scanner.h"
#include "ShellTexts.h"
#include "StartPage.h"
#include "ToolButtons.h"
#include "ToolValuesBar.h"
#include "Tools.h"
#include "TransformDialogs.h"
#include "UpdateCheck.h"
#include "Utf16.h"
#include "Utf16.h"
#include "ViewGeometry.h"
#include "ViewState.h"

namespace {

const char* const kMenuOrder[] = {"File", "Edit", "Draw", "Image", "Layer", "Select",
                                  "Transform", "Filter", "View", "Window", "Help"};
// The pop-up menu of a picture (menu 2051).
const std::pair<int, const char*> kPictureMenu[] = {
    {kCmdZoomIn, "확대\tCtrl++"},     {kCmdZoomOut, "축소\tCtrl--"}, {kCmdReleaseSelection, "선택/명령 해제\tCtrl+D"},
    {kCmdCopy, "복사\tCtrl+C"},      {kCmdPaste, "붙이기\tCtrl+V"}, {kCmdUndo, "실행취소\tCtrl+Z"},
    {kCmdRedo, "실행반복\tCtrl+Y"},
};

// The shortcut written after the tab of a label: "Ctrl + + " is Ctrl and the plus key.
QKeySequence ShortcutOfLabel(const QString& label) {
    const int tab = label.indexOf(QLatin1Char('\t'));
    if (tab < 0) return {};
    QString keys = label.mid(tab + 1);
    keys.remove(QLatin1Char(' '));
    return QKeySequence(keys, QKeySequence::PortableText);
}

// A label on a tool-bar button: without the shortcut text and the mnemonic mark.
QString ButtonText(const QString& label) {
    QString text = label.left(label.indexOf(QLatin1Char('\t')));
    text.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
    text.remove(QLatin1Char('&'));
    return text.trimmed();
}

QIcon StandardIcon(QStyle::StandardPixmap pixmap) { return QApplication::style()->standardIcon(pixmap); }

}  // namespace

CMainFrame::CMainFrame(const ProgramFolders& folders, const Settings& settings, QWidget* parent)
    : QMainWindow(parent), m_programFolder(folders.data), m_settingsFolder(folders.settings), m_settings(settings) {
    setWindowTitle(QStringLiteral("Tessaro"));
    setWindowIcon(AppIcon());
    setAcceptDrops(true);
    m_host = new QtDocumentHost(this);
    m_host->adopt = [this](std::unique_ptr<COrinDoc> doc) {
        COrinDoc* raw = AdoptDocument(std::move(doc));
        UpdateViews(raw, COrinView::kHintZoom);
    };
    m_ws.host = m_host;
    // Step files go to a folder of this program instance's own, written in the
    // background so that a step of a large layer does not stop the editor.
    m_ws.stepFolder = CreateStepSpace(folders.steps);
    m_ws.steps = std::make_shared<BackgroundStepStorage>();
    // Copies for crash recovery, every few minutes (the per-user preference
    // "recovery/minutes", 5 unless set; 0 keeps none).
    m_recovery = std::make_unique<RecoverySession>(RecoveryFolder());
    const int minutes = QSettings().value(QStringLiteral("recovery/minutes"), 5).toInt();
    if (m_recovery->Ready() && minutes > 0) {
        m_recoveryTimer = new QTimer(this);
        connect(m_recoveryTimer, &QTimer::timeout, this, &CMainFrame::KeepRecoveryCopies);
        m_recoveryTimer->start(std::min(minutes, 24 * 60) * 60 * 1000);
    }
    AddBuiltinOperations(m_operations);
    ApplySettings();
    for (const auto& [korean, translated] : LoadTranslationTable(m_programFolder).pairs)
        m_translations.emplace_back(Utf16ToUtf8(korean), Utf16ToUtf8(translated));
    m_ws.exifOrientation = ExifOrientationPreference();

    m_mdi = new QMdiArea(this);
    m_mdi->setBackground(QColor(0x80, 0x80, 0x80));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_central = new QStackedWidget(this);
    m_central->addWidget(m_mdi);
    setCentralWidget(m_central);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
        auto it = m_frameViews.find(sub);
        if (it != m_frameViews.end()) OnViewActivated(it->second);
    });
    connect(m_host, &QtDocumentHost::refreshRequested, this, [this](COrinDoc* d) { RefreshDocument(d); });
    connect(m_host, &QtDocumentHost::coloursChanged, this, [this] { m_toolValues->RefreshColours(); });
    // The dialog opens after the mouse event that asked for it has ended.
    connect(m_host, &QtDocumentHost::textRequested, this, [this](COrinDoc* doc, int x, int y, bool edit) {
        QTimer::singleShot(0, this, [this, doc, x, y, edit] { TextCommand(doc, x, y, edit); });
    });

    m_measure = new CMeasureFrame(*this, m_ws);
    connect(m_measure, &CMeasureFrame::documentChanged, this, [this](COrinDoc* d) { RefreshDocument(d); });
    BuildMenus();
    BuildToolBars();
    BuildEffectList();
    BuildStatusBar();
    BuildLayerPanel();
    BuildStartPage();
    // The tool the user last worked with, as the settings file names it.
    ChooseTool(nullptr, m_ws, ToolAtPlace(m_settings.toolNumber, m_settings.toolGroup));
    ToolChanged();
    resize(1280, 860);
    // The tool bars and panels as the user left them.
    const QSettings layout(LayoutFilePath(), QSettings::IniFormat);
    restoreState(layout.value(QStringLiteral("windowState")).toByteArray());
}

QString CMainFrame::LayoutFilePath() const {
    return QString::fromStdString(m_settingsFolder) + QStringLiteral("/TessaroLayout.ini");
}

CMainFrame::~CMainFrame() {
    // A frame destroyed while shown hides its panel from ~QWidget, after the menus are gone.
    if (m_panelDock) disconnect(m_panelDock, nullptr, this, nullptr);
    // Views borrow the documents: close them first.
    m_closingQuietly = true;
    for (QMdiSubWindow* sub : m_mdi->subWindowList()) delete sub;
    m_documents.clear();
    m_ws.steps.reset();  // the last queued step files reach the folder before it goes
    RemoveStepSpace(m_ws.stepFolder);
}

void CMainFrame::ApplySettings() {
    m_ws.foreground = uint32_t(m_settings.foreground);
    m_ws.background = uint32_t(m_settings.background);
    m_ws.textColour = uint32_t(m_settings.textColour);
    if (!m_settings.faceName.empty()) m_ws.textFace = Utf16ToUtf8(m_settings.faceName);
    m_ws.textSize = m_settings.fontSize;
    m_ws.textStrikeout = m_settings.fontStrikeOut != 0;
    m_ws.textUnderline = m_settings.fontUnderLine != 0;
    // The grid is hidden at start-up: the sign of the gap is its on/off state.
    m_ws.gridGap = -std::abs(m_settings.gridGap);
    m_ws.gridColour = uint32_t(m_settings.gridColour);
}

Settings CMainFrame::CurrentSettings() const {
    Settings s = m_settings;
    s.foreground = int32_t(m_ws.foreground);
    s.background = int32_t(m_ws.background);
    s.textColour = int32_t(m_ws.textColour);
    s.faceName = Utf8ToUtf16(m_ws.textFace);
    s.fontSize = m_ws.textSize;
    s.fontStrikeOut = m_ws.textStrikeout ? 1 : 0;
    s.fontUnderLine = m_ws.textUnderline ? 1 : 0;
    s.gridGap = m_ws.gridGap;
    s.gridColour = int32_t(m_ws.gridColour);
    if (const ToolPlace place = ToolBarPlace(m_ws.currentTool); place.number > 0) {
        s.toolNumber = place.number;
        s.toolGroup = place.group;
    }
    return s;
}

// ---------------------------------------------------------------------------------
// Menus, tool bars, status bar, panel

namespace {

constexpr const char* kLayerPropertiesLabel = "레이어 속성";

// The status-bar prompt of a menu entry: its own prompt where it has one, otherwise its
// menu text.
QString CommandPrompt(const CommandEntry& entry) {
    static const std::pair<int, const char*> prompts[] = {
        {kCmdFlatten, "레이어 없는 영상을 만듬"},
        {kCmdRasterize, "벡터이미지를 레스터 형식으로 변환 "},
        {kCmdAutoSelect, "클릭지점과 같은 색상의 영역을 자동으로 선택"},
        {kCmd8BitColour, "8비트칼라 최적변환"},
        {kCmd4BitOptimal, "4비트칼라 최적변환"},
        {kCmd4BitStandard, "4비트칼라 표준변환"},
        {kCmdRemoveTransparency, "Remove Transparency"},
        {kCmdSetTransparency, "Set Transparency"},
        {kCmdRemoveAlpha, "Remove Alpha Channel"},
        {kCmdInvertAlpha, "Invert Alpha Channel"},
        {kCmdToggleAlphaPalette, "Toggle Alpha Palette "},
        {kCmdStripAlpha, "Strip Alpha"},
        {kCmdEllipseTransform, "Ellipse transform"},
    };
    for (const auto& [id, text] : prompts)
        if (id == entry.id) return QString::fromUtf8(text);
    return QString::fromStdString(MenuText(entry));
}

}  // namespace

void CMainFrame::BuildMenus() {
    for (const char* menuName : kMenuOrder) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(MenuTitle(menuName)));
        menu->setObjectName(QString::fromUtf8(menuName));
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
        for (const CommandEntry& e : MenuCommands()) {
            if (std::string(e.menu) != menuName) continue;
            if (e.groupStart && !menu->isEmpty()) menu->addSeparator();
            const QString label = QString::fromUtf8(e.label);
            QAction* action = menu->addAction(label);
            action->setData(e.id);
            action->setIconText(ButtonText(label));
            action->setShortcut(ShortcutOfLabel(label));
            action->setStatusTip(CommandPrompt(e));
            const FrameCommand* command = FindFrameCommand(e.id);
            action->setCheckable(command ? command->check != CheckRule::kNone : FindTool(e.id) != nullptr);
            connect(action, &QAction::triggered, this, [this, id = e.id] { RunCommand(id); });
            m_actions[e.id] = action;
            if (e.id == kCmdExit) {
                m_exitAction = action;
                action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));  // through the usual questions
            }
        }
        if (std::string(menuName) == "Select") {
            // Select all (Ctrl+A), last in its menu.
            QAction* all = new QAction(QString::fromUtf8("모두 선택"), menu);
            all->setData(kCmdSelectAll);
            all->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
            all->setStatusTip(QString::fromUtf8("현재 레이어 전체를 선택"));
            connect(all, &QAction::triggered, this, [this] { RunCommand(kCmdSelectAll); });
            menu->addSeparator();
            menu->addAction(all);
            m_actions[kCmdSelectAll] = all;
        }
        if (std::string(menuName) == "Edit") {
            // Delete reaches the view first (measurement objects), which asks for this.
            QAction* clear = new QAction(QString::fromUtf8(kClearSelectedLabel) + QStringLiteral("\tDel"), menu);
            clear->setData(kCmdClearSelected);
            clear->setStatusTip(QString::fromUtf8("선택영역을 투명하게 또는 배경색으로 지움"));
            connect(clear, &QAction::triggered, this, [this] { RunCommand(kCmdClearSelected); });
            menu->addAction(clear);
            m_actions[kCmdClearSelected] = clear;
        }
        if (std::string(menuName) == "View") {
            QAction* fit = new QAction(QString::fromUtf8("창에 맞추기"), menu);
            fit->setData(kCmdFitWindow);
            fit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
            fit->setStatusTip(QString::fromUtf8("그림 전체가 창에 들어오는 배율로 보기"));
            connect(fit, &QAction::triggered, this, [this] {
                if (m_activeView) m_activeView->FitToWindow();
            });
            menu->addAction(fit);
            m_actions[kCmdFitWindow] = fit;
        }
        if (std::string(menuName) == "Layer") {
            // Removing the drop shadow, right after the entry that attaches it.
            QAction* remove = new QAction(QString::fromUtf8(kRemoveLayerEffectLabel), menu);
            remove->setData(kCmdRemoveLayerEffect);
            remove->setStatusTip(QString::fromUtf8(kRemoveLayerEffectLabel));
            connect(remove, &QAction::triggered, this, [this] { RunCommand(kCmdRemoveLayerEffect); });
            const QList<QAction*> entries = menu->actions();
            const qsizetype at = entries.indexOf(m_actions[kCmdLayerEffect]);
            if (at >= 0 && at + 1 < entries.size()) menu->insertAction(entries[at + 1], remove);
            else menu->addAction(remove);
            m_actions[kCmdRemoveLayerEffect] = remove;
        }
        if (std::string(menuName) == "File") {
            m_fileMenu = menu;
            connect(menu, &QMenu::aboutToShow, this, &CMainFrame::FillRecentFiles);
        } else if (std::string(menuName) == "Window") {
            m_windowMenu = menu;
            connect(menu, &QMenu::aboutToShow, this, &CMainFrame::FillWindowMenu);
        }
    }
    FillRecentFiles();
    AddExifOrientationAction();

    m_pictureMenu = new QMenu(this);
    for (const auto& [id, text] : kPictureMenu) {
        QAction* action = m_pictureMenu->addAction(QString::fromUtf8(text));
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id = id] { RunCommand(id); });
    }
}

void CMainFrame::BuildToolBars() {
    QToolBar* main = addToolBar(QString::fromUtf8("표준"));
    main->setObjectName(QStringLiteral("StandardBar"));
    main->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    const std::pair<int, QStyle::StandardPixmap> withIcons[] = {
        {kCmdNew, QStyle::SP_FileIcon},          {kCmdOpen, QStyle::SP_DialogOpenButton},
        {kCmdSave, QStyle::SP_DialogSaveButton}, {kCmdUndo, QStyle::SP_ArrowBack},
        {kCmdRedo, QStyle::SP_ArrowForward},
    };
    for (const auto& [id, icon] : withIcons) {
        QAction* a = m_actions[id];
        a->setIcon(StandardIcon(icon));
        main->addAction(a);
        if (id == kCmdSave) main->addSeparator();
    }
    main->addSeparator();
    for (int id : {kCmdCopy, kCmdPaste}) main->addAction(m_actions[id]);
    main->addSeparator();
    for (int id : {kCmdZoomIn, kCmdZoomOut, kCmdActualSize}) main->addAction(m_actions[id]);
    main->addSeparator();
    QAction* capture = main->addAction(StandardIcon(QStyle::SP_DesktopIcon), QStringLiteral("Capture..."));
    capture->setData(kCmdCapture);
    // The measurement panel ("분석 환경 설정"): the measurement tools and exports.
    QAction* measure = main->addAction(QString::fromUtf8("측정"));
    measure->setData(kCmdMeasureSettings);
    measure->setToolTip(QString::fromUtf8("분석 환경 설정"));
    connect(measure, &QAction::triggered, this, [this] { RunCommand(kCmdMeasureSettings); });
    connect(capture, &QAction::triggered, this, [this] { RunCommand(kCmdCapture); });
    m_actions[kCmdCapture] = capture;

    addToolBarBreak();
    QToolBar* tools = addToolBar(QString::fromUtf8("도구"));
    tools->setObjectName(QStringLiteral("ToolBar"));
    tools->setToolButtonStyle(Qt::ToolButtonIconOnly);
    tools->setIconSize(QSize(24, 24));
    ToolBarGroup group = ToolBarGroup::kSelection;
    for (const Tool& t : Tools()) {
        if (t.bar == ToolBarGroup::kNone) continue;
        if (t.bar != group) tools->addSeparator();
        group = t.bar;
        QAction* a = CommandAction(t.id);
        if (!a) {
            // A tool without a menu entry has a button of its own.
            a = new QAction(QString::fromUtf8(t.label), this);
            a->setData(t.id);
            a->setCheckable(true);
            a->setStatusTip(QString::fromUtf8(t.label));
            connect(a, &QAction::triggered, this, [this, id = t.id] { RunCommand(id); });
            m_actions[t.id] = a;
        }
        a->setIcon(ToolIcon(t));
        a->setShortcut(ToolShortcut(t.id));
        a->setToolTip(ToolTipText(ButtonText(a->text()), a->shortcut()));
        tools->addAction(a);
    }

    addToolBarBreak();
    m_toolValues = new CToolValuesBar(m_ws, this);
    addToolBar(m_toolValues);
}

void CMainFrame::BuildEffectList() {
    QToolBar* bar = addToolBar(QString::fromUtf8("포토 간편 편집"));
    bar->setObjectName(QStringLiteral("EffectBar"));
    m_effectList = new QComboBox(bar);
    m_effectList->setObjectName(QStringLiteral("EffectList"));
    for (const char* name : EffectNames()) m_effectList->addItem(QString::fromUtf8(name));
    m_effectList->setCurrentIndex(0);
    bar->addWidget(m_effectList);
    // Choosing an entry opens the bar for it, as its filter command does.
    connect(m_effectList, &QComboBox::activated, this, [this](int) {
        if (COrinDoc* doc = ActiveDocument(); doc && !doc->IsEmpty())
            OpenEffectBar(doc, m_effectList->currentText().toStdString());
    });
}

void CMainFrame::OpenEffectBar(COrinDoc* doc, const std::string& name) {
    if (!doc || m_effectBar) return;
    if (Status s = RefuseTextLayer(*doc); !s) {
        ReportStatus(s);
        return;
    }
    const bool binary = name == kBinaryEffect;
    if (binary) m_effectList->setEnabled(false);
    CEffectBar bar(*doc, m_operations, name, m_translations,
                   [this](const std::function<Status()>& run) {
                       BusyScope busy(*m_host);
                       return run();
                   },
                   this);
    connect(&bar, &CEffectBar::documentChanged, this, [this](COrinDoc* d) {
        d->Touch();
        RefreshDocument(d);
    });
    // At the right of the tool strip, below the menus.
    bar.move(mapToGlobal(QPoint(std::min(width() - CEffectBar::kWidths[3], 420), menuBar()->height() + 4)));
    m_effectBar = &bar;
    if (const Operation* op = bar.CurrentOperation()) BeginEffect(*doc, *op);
    const bool keep = bar.exec() == QDialog::Accepted;
    m_effectBar = nullptr;
    m_host->Progress(0);
    if (const Operation* op = bar.CurrentOperation()) EndEffect(*doc, *op, keep);
    if (binary) m_effectList->setEnabled(true);
    doc->Touch();
    RefreshDocument(doc);
}

void CMainFrame::BuildStatusBar() {
    m_statusText = new QLabel(this);
    m_pictureInfo = new QLabel(this);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    m_progress->setMaximumWidth(180);
    m_progress->setVisible(false);
    statusBar()->addWidget(m_statusText, 1);
    m_pointerInfo = new QLabel(this);
    m_pointerInfo->setObjectName(QStringLiteral("pointerInfo"));
    m_pointerInfo->setMinimumWidth(90);
    // The zoom steps, 1/16 to 16; choosing one zooms the active picture.
    m_zoomBox = new QComboBox(this);
    for (int step = -4; step <= 4; ++step) m_zoomBox->addItem(QStringLiteral("%1%").arg(100.0 * std::ldexp(1.0, step)), step);
    m_zoomBox->setEnabled(false);
    connect(m_zoomBox, &QComboBox::activated, this, [this](int index) {
        COrinDoc* doc = ActiveDocument();
        if (!doc || doc->IsEmpty() || ViewOf(*doc).stretch) return;
        ViewOf(*doc).zoom = float(std::ldexp(1.0, m_zoomBox->itemData(index).toInt()));
        ViewOf(*doc).zoomAnchorX = ViewOf(*doc).zoomAnchorY = -1;
        doc->Touch();
        UpdateViews(doc, COrinView::kHintZoom);
    });
    statusBar()->addPermanentWidget(m_progress);
    statusBar()->addPermanentWidget(m_pointerInfo);
    statusBar()->addPermanentWidget(m_pictureInfo);
    statusBar()->addPermanentWidget(m_zoomBox);
    m_host->SetStatusWidgets(m_statusText, m_progress);
}

void CMainFrame::BuildLayerPanel() {
    m_panel = new CLayerPanel(this);
    m_panelDock = new QDockWidget(QString::fromUtf8("레이어.작업내역보기"), this);
    m_panelDock->setObjectName(QStringLiteral("LayerPanel"));
    m_panelDock->setWidget(m_panel);
    m_panelDock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable |
                             QDockWidget::DockWidgetClosable);
    m_panel->setMinimumWidth(250);
    addDockWidget(Qt::RightDockWidgetArea, m_panelDock);
    connect(m_panelDock, &QDockWidget::visibilityChanged, this, &CMainFrame::UpdateCommandStates);
    connect(m_panel, &CLayerPanel::documentAboutToChange, this, [this](COrinDoc* doc) {
        if (!doc->IsEmpty()) LeaveCurrentTool(*doc);
        m_panelCanvas = {doc->canvas.width, doc->canvas.height};
    });
    connect(m_panel, &CLayerPanel::documentChanged, this, [this](COrinDoc* doc) {
        doc->Touch();
        const bool resized =
            m_panelCanvas.first >= 0 && m_panelCanvas != std::pair{doc->canvas.width, doc->canvas.height};
        m_panelCanvas = {-1, -1};
        if (resized) UpdateViews(doc, COrinView::kHintCanvas);
        else RefreshDocument(doc);
    });
    connect(m_panel, &CLayerPanel::commandRequested, this, &CMainFrame::RunCommand);
    connect(m_panel, &CLayerPanel::textEditRequested, this, [this](COrinDoc* doc) {
        QTimer::singleShot(0, this, [this, doc] { TextCommand(doc, 0, 0, true); });
    });
    connect(m_panel, &CLayerPanel::scaleBarEditRequested, this, [this](COrinDoc* doc) {
        QTimer::singleShot(0, this, [this, doc] {
            if (std::any_of(m_documents.begin(), m_documents.end(), [doc](const auto& d) { return d.get() == doc; }))
                m_measure->Run(kCmdScaleBar, doc);
        });
    });
    connect(m_panel, &CLayerPanel::propertiesRequested, this, [this](COrinDoc* doc) {
        QTimer::singleShot(0, this, [this, doc] { LayerPropertiesCommand(doc); });
    });
    connect(m_panel, &CLayerPanel::sizeToggled, this, [this](bool grown) {
        const int height = grown ? centralWidget()->height() : CLayerPanel::kShrunkHeight;
        resizeDocks({m_panelDock}, {height}, Qt::Vertical);
    });
}

void CMainFrame::BuildStartPage() {
    m_startPage = new CStartPage(m_actions[kCmdNew], m_actions[kCmdOpen], m_central);
    connect(m_startPage, &CStartPage::fileChosen, this, [this](const QString& path) {
        // After the click has ended: the page goes away under the pointer.
        QTimer::singleShot(0, this, [this, path] { OpenFile(path); });
    });
    m_central->addWidget(m_startPage);
    ShowStartPage(true);
}

void CMainFrame::ShowStartPage(bool show) {
    if (show) m_startPage->SetRecentFiles(m_recent.Files());
    m_central->setCurrentWidget(show ? static_cast<QWidget*>(m_startPage) : m_mdi);
}

bool CMainFrame::StartPageShown() const { return m_central->currentWidget() == m_startPage; }

void CMainFrame::FillRecentFiles() {
    for (QAction* a : m_recentActions) {
        m_fileMenu->removeAction(a);
        delete a;
    }
    m_recentActions.clear();
    const QStringList& files = m_recent.Files();
    for (int i = 0; i < files.size(); ++i) {
        auto* a = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(files[i]).fileName()), m_fileMenu);
        a->setToolTip(files[i]);
        a->setStatusTip(QString::fromUtf8("최근에 사용한 파일 열기: ") + files[i]);
        connect(a, &QAction::triggered, this, [this, path = files[i]] { OpenFile(path); });
        m_fileMenu->insertAction(m_exitAction, a);
        m_recentActions << a;
    }
    if (!files.isEmpty()) m_recentActions << m_fileMenu->insertSeparator(m_exitAction);
}

// A preference of its own in the File menu, after the preferences entry: JPEG pictures
// opened from now on are turned upright by their EXIF orientation.
void CMainFrame::AddExifOrientationAction() {
    auto* action = new QAction(QString::fromUtf8("JPEG 사진 방향(EXIF) 따르기"), this);
    action->setObjectName(QStringLiteral("exifOrientation"));
    action->setCheckable(true);
    action->setStatusTip(QString::fromUtf8("JPEG 사진을 파일에 기록된 방향으로 돌려서 열기"));
    action->setChecked(m_ws.exifOrientation);
    connect(action, &QAction::toggled, this, [this](bool on) {
        m_ws.exifOrientation = on;
        SetExifOrientationPreference(on);
    });
    const QList<QAction*> entries = m_fileMenu ? m_fileMenu->actions() : QList<QAction*>();
    const auto it = m_actions.find(kCmdPreferences);
    const qsizetype at = it == m_actions.end() ? -1 : entries.indexOf(it->second);
    if (at >= 0 && at + 1 < entries.size()) m_fileMenu->insertAction(entries[at + 1], action);
    else if (m_fileMenu) m_fileMenu->addAction(action);
}

void CMainFrame::FillWindowMenu() {
    for (QAction* a : m_windowActions) {
        m_windowMenu->removeAction(a);
        delete a;
    }
    m_windowActions.clear();
    const QList<QMdiSubWindow*> subs = m_mdi->subWindowList();
    if (subs.isEmpty()) return;
    m_windowActions << m_windowMenu->addSeparator();
    for (int i = 0; i < subs.size(); ++i) {
        QAction* a = m_windowMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(subs[i]->windowTitle().replace(QStringLiteral("[*]"), subs[i]->isWindowModified() ? QStringLiteral("*") : QString())));
        a->setCheckable(true);
        a->setStatusTip(QString::fromUtf8("이 창으로 전환"));
        a->setChecked(subs[i] == m_mdi->currentSubWindow());
        connect(a, &QAction::triggered, this, [this, sub = subs[i]] { m_mdi->setActiveSubWindow(sub); });
        m_windowActions << a;
    }
}

QAction* CMainFrame::CommandAction(int id) const {
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

bool CMainFrame::RuleHolds(EnableRule rule) const {
    const COrinDoc* doc = ActiveDocument();
    const bool open = doc && !doc->IsEmpty();
    switch (rule) {
    case EnableRule::kAlways: return true;
    case EnableRule::kPicture: return open;
    case EnableRule::kViews: return !m_views.empty();
    case EnableRule::kUndo: return open && CanUndo(*doc);
    case EnableRule::kRedo: return open && CanRedo(*doc);
    case EnableRule::kZoomIn: return open && CanZoomIn(*doc);
    case EnableRule::kZoomOut: return open && CanZoomOut(*doc);
    case EnableRule::kActualSize: return open && CanZoomActualSize(*doc);
    case EnableRule::kSelection: return open && doc->selection.shown;
    }
    return false;
}

bool CMainFrame::IsCommandEnabled(int id) const {
    if (id == kCmdFitWindow) return RuleHolds(EnableRule::kPicture);
    if (const FrameCommand* command = FindFrameCommand(id)) return RuleHolds(command->enable);
    if (FindTool(id)) return true;
    if (const Operation* op = m_operations.Find(id))
        return RuleHolds(EnableRule::kPicture) && (!op->applies || op->applies(*ActiveDocument()));
    if (FilterCommandIndex(id) >= 0) return RuleHolds(EnableRule::kPicture);
    return false;  // an entry whose command is not built yet
}

void CMainFrame::UpdateCommandStates() {
    const COrinDoc* doc = ActiveDocument();
    for (auto& [id, action] : m_actions) {
        action->setEnabled(IsCommandEnabled(id));
        if (!action->isCheckable()) continue;
        const FrameCommand* command = FindFrameCommand(id);
        switch (command ? command->check : CheckRule::kNone) {
        case CheckRule::kGrid: action->setChecked(m_ws.gridGap > 0); break;
        case CheckRule::kStretch: action->setChecked(doc && ViewOf(*doc).stretch); break;
        case CheckRule::kLayerPanel: action->setChecked(m_panelDock && m_panelDock->isVisible()); break;
        case CheckRule::kNone:
            // A tool is checked while it is the current tool; the colour range chooses its pick.
            action->setChecked(m_ws.currentTool == id || (id == kCmdColourRange && m_ws.currentTool == kCmdColourRangePick));
            break;
        }
    }
    if (m_pictureMenu)
        for (QAction* a : m_pictureMenu->actions()) a->setEnabled(IsCommandEnabled(a->data().toInt()));
    if (m_panel)
        for (QAction* a : m_panel->LayerMenu()->actions()) a->setEnabled(IsCommandEnabled(a->data().toInt()));
}

void CMainFrame::UpdateStatusInfo() {
    const COrinDoc* doc = ActiveDocument();
    if (!doc || doc->IsEmpty()) {
        m_pictureInfo->clear();
        m_pointerInfo->clear();
        m_zoomBox->setEnabled(false);
        return;
    }
    QString text = QStringLiteral("%1 x %2   %3%").arg(doc->canvas.width).arg(doc->canvas.height).arg(int(ViewOf(*doc).zoom * 100));
    if (doc->selection.shown) {
        const MaskBox box = SelectionBounds(doc->selection);
        if (!box.Empty())
            text += QString::fromUtf8("   선택 %1 x %2").arg(box.right - box.left + 1).arg(box.top - box.bottom + 1);
    }
    m_pictureInfo->setText(text);
    m_zoomBox->setEnabled(!ViewOf(*doc).stretch);
    int step = 0;
    std::frexp(double(ViewOf(*doc).zoom), &step);
    m_zoomBox->setCurrentIndex(m_zoomBox->findData(step - 1));
}

void CMainFrame::ShowPictureMenu(COrinView* view, const QPoint& globalPos) {
    // While measuring (or with the measurement panel open) the view offers menu 3185.
    if (view && m_measure->WantsMenu(&view->Document())) {
        m_measure->Menu()->exec(globalPos);
        return;
    }
    UpdateCommandStates();
    m_pictureMenu->exec(globalPos);
}

// ---------------------------------------------------------------------------------
// Documents and views

COrinDoc* CMainFrame::OpenFile(const QString& path) {
    auto doc = std::make_unique<COrinDoc>(m_ws);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Status status = OpenWithMeasurements(*doc, Measures(*doc).sheet, path.toStdString(),
                                               Measurement(m_ws).calibration);
    QApplication::restoreOverrideCursor();
    if (!status || doc->IsEmpty()) {
        // The message names the file under it: several may be opened at once.
        if (!status.message.empty()) m_host->Message(status.message + "\n" + QDir::toNativeSeparators(path).toStdString());
        RemoveStepFiles(*doc);
        return nullptr;
    }
    m_recent.Add(path);
    return AdoptDocument(std::move(doc));
}

COrinDoc* CMainFrame::NewPicture(int width, int height, const QString& name) {
    auto doc = std::make_unique<COrinDoc>(m_ws);
    const std::string title = name.isEmpty() ? std::string("이름없음") : name.toStdString();
    const Status status = NewPictureDocument(*doc, width, height, title);
    if (!status) {
        ReportStatus(status);
        return nullptr;
    }
    return AdoptDocument(std::move(doc));
}

void CMainFrame::KeepRecoveryCopies() {
    for (const auto& d : m_documents)
        if (m_recovery && d->changed && !d->busy && !d->IsEmpty()) m_recovery->Keep(*d, d->fileName);
}

COrinDoc* CMainFrame::OpenRecovered(const RecoverableCopy& copy) {
    auto doc = std::make_unique<COrinDoc>(m_ws);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Status status = OpenDocument(*doc, copy.project);
    QApplication::restoreOverrideCursor();
    if (!status || doc->IsEmpty()) {
        ReportStatus(status);
        RemoveStepFiles(*doc);
        return nullptr;
    }
    // Not the user's file, and not yet saved: saving asks for a name.
    doc->path.clear();
    doc->fileName = copy.title;
    doc->changed = true;
    m_recovery->Adopt(copy, *doc);
    return AdoptDocument(std::move(doc));
}

COrinDoc* CMainFrame::AdoptDocument(std::unique_ptr<COrinDoc> doc) {
    COrinDoc* raw = doc.get();
    m_documents.push_back(std::move(doc));
    AddView(raw);
    return raw;
}

COrinView* CMainFrame::AddView(COrinDoc* doc) {
    ShowStartPage(false);
    auto* view = new COrinView(*doc, m_ws);
    view->SetHatchStyle(m_settings.transpRep);
    view->SetCursorKind(m_settings.cursorKind);
    QMdiSubWindow* sub = m_mdi->addSubWindow(view);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->installEventFilter(this);
    m_views.push_back(view);
    m_frameViews[sub] = view;
    connect(view, &QObject::destroyed, this, [this, view, doc] { ForgetView(view, doc); });
    connect(view, &COrinView::repaintWanted, this, [this](COrinDoc* d) {
        for (COrinView* v : ViewsOf(d)) v->RepaintChanged();
    });
    connect(view, &COrinView::documentTouched, this, [this](COrinDoc* d) { RefreshDocument(d); });
    connect(view, &COrinView::strokeEnded, this, [this](COrinDoc* d) { RefreshDocument(d, true); });
    connect(view, &COrinView::zoomed, this, [this](COrinDoc* d) { UpdateViews(d, COrinView::kHintZoom); });
    connect(view, &COrinView::contextMenuWanted, this, &CMainFrame::ShowPictureMenu);
    connect(view, &COrinView::activated, this, &CMainFrame::OnViewActivated);
    connect(view, &COrinView::measured, m_measure, &CMeasureFrame::Outcome);
    connect(view, &COrinView::commandWanted, this, &CMainFrame::RunCommand);
    connect(view, &COrinView::pointerMoved, this, [this](COrinDoc*, int x, int y) {
        m_pointerInfo->setText(x < 0 ? QString() : QStringLiteral("%1, %2").arg(x).arg(y));
    });
    connect(view, &COrinView::colourRangePicked, this, [this](COrinDoc*, const QString& text) {
        if (m_colourRangeWindow) m_colourRangeWindow->ShowPick(text);
    });
    view->ShowTitle();
    sub->show();
    m_mdi->setActiveSubWindow(sub);
    m_activeView = view;
    view->OnUpdate(COrinView::kHintZoom);  // the child window fits the picture
    view->setFocus();
    OnViewActivated(view);
    return view;
}

std::vector<COrinView*> CMainFrame::ViewsOf(const COrinDoc* doc) const {
    std::vector<COrinView*> views;
    for (COrinView* v : m_views)
        if (&v->Document() == doc) views.push_back(v);
    return views;
}

COrinView* CMainFrame::ActiveView() const {
    // Looked up, not asked: the current child window may be in the middle of its destruction.
    auto it = m_frameViews.find(m_mdi->currentSubWindow());
    return it != m_frameViews.end() ? it->second : m_activeView;
}

COrinDoc* CMainFrame::ActiveDocument() const {
    COrinView* view = ActiveView();
    return view ? &view->Document() : nullptr;
}

void CMainFrame::OnViewActivated(COrinView* view) {
    if (!view) return;
    m_activeView = view;
    if (m_panel && m_panel->Document() != &view->Document()) m_panel->SetDocument(&view->Document());
    else if (m_panel) m_panel->Refresh();
    UpdateCommandStates();
    UpdateStatusInfo();
}

void CMainFrame::ForgetView(COrinView* view, COrinDoc* doc) {
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
    for (auto it = m_frameViews.begin(); it != m_frameViews.end();)
        it = it->second == view ? m_frameViews.erase(it) : std::next(it);
    if (m_activeView == view) m_activeView = m_views.empty() ? nullptr : m_views.back();
    if (ViewsOf(doc).empty()) {
        if (m_panel && m_panel->Document() == doc) m_panel->SetDocument(nullptr);
        if (m_recovery) m_recovery->Drop(*doc);
        m_layerKeeping.Forget(*doc);
        if (m_faceDoc == doc) {
            m_faceSession.reset();  // its picture goes: nothing to keep or to take back
            EndFaceTransform(false);
        }
        m_documents.erase(std::remove_if(m_documents.begin(), m_documents.end(),
                                         [doc](const std::unique_ptr<COrinDoc>& d) { return d.get() == doc; }),
                          m_documents.end());
    }
    if (m_activeView && m_panel && !m_panel->Document()) m_panel->SetDocument(&m_activeView->Document());
    if (m_views.empty()) {
        // Nothing is left that a status text could be about.
        m_statusText->clear();
        statusBar()->clearMessage();
        ShowStartPage(true);
    }
    UpdateCommandStates();
    UpdateStatusInfo();
}

bool CMainFrame::ConfirmClose(COrinDoc* doc) {
    if (!doc->changed && !(doc->measure && doc->measure->changed)) return ConfirmLayersKept(doc);
    char text[512];
    std::snprintf(text, sizeof text, msg::kSaveQuestion, doc->fileName.c_str());
    const QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    const QMessageBox::StandardButton answer = Ask(QString::fromUtf8(text), buttons);
    if (answer == QMessageBox::No) return true;
    if (answer != QMessageBox::Yes || !SaveCommand(doc, false)) return false;
    return ConfirmLayersKept(doc);
}

bool CMainFrame::ConfirmLayersKept(COrinDoc* doc) {
    // The layers are in no file: the last chance to keep them in a project.
    if (!m_layerKeeping.OnlyInDocument(*doc)) return true;
    char text[512];
    std::snprintf(text, sizeof text, shell_text::kSaveLayersQuestion, doc->fileName.c_str());
    const QMessageBox::StandardButton answer =
        Ask(QString::fromUtf8(text), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Yes) return SaveCommand(doc, true, true);
    return answer == QMessageBox::No;
}

bool CMainFrame::CloseDocument(COrinDoc* doc, bool ask) {
    if (ask && !ConfirmClose(doc)) return false;
    std::vector<QMdiSubWindow*> frames;
    for (COrinView* v : ViewsOf(doc))
        if (auto* sub = qobject_cast<QMdiSubWindow*>(v->parentWidget())) frames.push_back(sub);
    m_closingQuietly = true;
    for (QMdiSubWindow* sub : frames) delete sub;  // the last one takes the document with it
    m_closingQuietly = false;
    return true;
}

void CMainFrame::RefreshDocument(COrinDoc* doc, bool pixelsOnly) {
    if (!doc) return;
    for (COrinView* v : ViewsOf(doc)) {
        v->ShowTitle();
        v->SyncTimer();
        if (pixelsOnly) v->RepaintChanged(true);
        else v->viewport()->update();
    }
    if (m_panel && doc == ActiveDocument()) m_panel->Refresh();
    UpdateCommandStates();
    UpdateStatusInfo();
}

void CMainFrame::UpdateViews(COrinDoc* doc, int hint) {
    if (!doc) return;
    for (COrinView* v : ViewsOf(doc)) v->OnUpdate(hint);
    RefreshDocument(doc);
}

void CMainFrame::ReportStatus(const Status& status) {
    if (!status && !status.message.empty()) m_host->Message(status.message);
}

// ---------------------------------------------------------------------------------
// Commands

const std::vector<CMainFrame::FrameCommand>& CMainFrame::FrameCommands() {
    using E = EnableRule;
    using F = CMainFrame;
    static const std::vector<FrameCommand> table = {
        // File
        {kCmdNew, [](F& f, COrinDoc*) { f.NewPictureCommand(); }, E::kAlways},
        {kCmdOpen, [](F& f, COrinDoc*) { f.OpenCommand(); }, E::kAlways},
        {kCmdClose, [](F& f, COrinDoc* d) { f.CloseDocument(d, true); }, E::kPicture},
        {kCmdSave, [](F& f, COrinDoc* d) { f.SaveCommand(d, false); }, E::kPicture},
        {kCmdSaveAs, [](F& f, COrinDoc* d) { f.SaveCommand(d, true); }, E::kPicture},
        {kCmdPrint, [](F& f, COrinDoc*) { f.PrintCommand(); }, E::kPicture},
        {kCmdPrintSetup, [](F& f, COrinDoc*) { f.PrintSetupCommand(); }, E::kAlways},
        {kCmdExit, [](F& f, COrinDoc*) { f.close(); }, E::kAlways},
        {kCmdPreferences, [](F& f, COrinDoc* d) { f.PreferencesCommand(d); }, E::kAlways},
        {kCmdCapture, [](F& f, COrinDoc*) { f.CaptureCommand(); }, E::kAlways},
        {kCmdScanSource, [](F& f, COrinDoc*) { f.ScanSourceCommand(); }, E::kAlways},
        {kCmdScanAcquire, [](F& f, COrinDoc*) { f.ScanCommand(); }, E::kAlways},
        // Edit: undo and redo are operations of the table with their own rules
        {kCmdUndo, [](F& f, COrinDoc* d) { f.RunOperation(*f.m_operations.Find(kCmdUndo), d); }, E::kUndo},
        {kCmdRedo, [](F& f, COrinDoc* d) { f.RunOperation(*f.m_operations.Find(kCmdRedo), d); }, E::kRedo},
        {kCmdCutToNew, [](F& f, COrinDoc* d) { f.CutToNewCommand(d); }, E::kPicture},
        // Image
        {kCmdBrightness, [](F& f, COrinDoc* d) { f.AdjustmentCommand(d, kCmdBrightness); }, E::kPicture},
        {kCmdColourAdjust, [](F& f, COrinDoc* d) { f.AdjustmentCommand(d, kCmdColourAdjust); }, E::kPicture},
        {kCmdHistogram, [](F& f, COrinDoc* d) { f.AdjustmentCommand(d, kCmdHistogram); }, E::kPicture},
        {kCmdSplitRgb, [](F& f, COrinDoc* d) { f.ChannelViewerCommand(d); }, E::kPicture},
        // Image: the binary conversion's bar (the filter commands open theirs the same way)
        {kCmdBinary, [](F& f, COrinDoc* d) { f.OpenEffectBar(d, kBinaryEffect); }, E::kPicture},
        // Layer
        {kCmdLayerEffect, [](F& f, COrinDoc* d) { f.LayerEffectCommand(d); }, E::kPicture},
        {kCmdRenameLayer, [](F& f, COrinDoc* d) { f.RenameLayerCommand(d); }, E::kPicture},
        // Transform: the ones with a dialog
        {kCmdFreeRotate, [](F& f, COrinDoc* d) { f.FreeRotateCommand(d); }, E::kPicture},
        {kCmdResize, [](F& f, COrinDoc* d) { f.ResizeCommand(d); }, E::kPicture},
        {kCmdCanvasSize, [](F& f, COrinDoc* d) { f.CanvasSizeCommand(d); }, E::kPicture},
        // Transform: the dialogs of the calendar, the photo frame and the face transform
        {kCmdCalendar, [](F& f, COrinDoc* d) { f.CalendarCommand(d); }, E::kPicture},
        {kCmdPhotoFrame, [](F& f, COrinDoc* d) { f.PhotoFrameCommand(d); }, E::kPicture},
        {kCmdFaceTransform, [](F& f, COrinDoc* d) { f.FaceTransformCommand(d); }, E::kPicture},
        // Select
        {kCmdInvertSelection, [](F& f, COrinDoc* d) { f.RunOperation(*f.m_operations.Find(kCmdInvertSelection), d); },
         E::kSelection},
        // View
        {kCmdZoomIn, [](F& f, COrinDoc* d) { f.ZoomInCommand(d); }, E::kZoomIn},
        {kCmdZoomOut, [](F& f, COrinDoc* d) { f.ZoomOutCommand(d); }, E::kZoomOut},
        {kCmdActualSize,
         [](F& f, COrinDoc* d) {
             if (ZoomActualSize(*d)) f.UpdateViews(d, COrinView::kHintZoom);
         },
         E::kActualSize},
        {kCmdStretch,
         [](F& f, COrinDoc* d) {
             ViewOf(*d).stretch = !ViewOf(*d).stretch;
             f.UpdateViews(d, 0);
         },
         E::kPicture, CheckRule::kStretch},
        {kCmdGrid,
         [](F& f, COrinDoc*) {
             f.m_ws.gridGap = -f.m_ws.gridGap;
             for (COrinView* v : f.m_views) v->viewport()->update();
             f.UpdateCommandStates();
         },
         E::kAlways, CheckRule::kGrid},
        {kCmdLayerPanel,
         [](F& f, COrinDoc*) {
             f.m_panelDock->setVisible(!f.m_panelDock->isVisible());
             f.UpdateCommandStates();
         },
         E::kAlways, CheckRule::kLayerPanel},
        // Window
        {kCmdDuplicateWindow,
         [](F& f, COrinDoc* d) {
             ViewOf(*d).keepFrameSize = false;
             f.AddView(d);
         },
         E::kPicture},
        {kCmdNewWindow,
         [](F& f, COrinDoc* d) {
             ViewOf(*d).keepFrameSize = false;
             f.AddView(d);
         },
         E::kPicture},
        {kCmdCascade, [](F& f, COrinDoc*) { f.m_mdi->cascadeSubWindows(); }, E::kViews},
        {kCmdTile, [](F& f, COrinDoc*) { f.m_mdi->tileSubWindows(); }, E::kViews},
        {kCmdCloseAll, [](F& f, COrinDoc*) { f.CloseAllCommand(); }, E::kViews},
        // Help
        {kCmdAbout, [](F& f, COrinDoc*) { ShowAboutBox(&f, QStringLiteral(TESSARO_VERSION_STRING), UpdateBaseUrl()); },
         E::kAlways},
        {kCmdWebSite, [](F&, COrinDoc*) { QDesktopServices::openUrl(QUrl(UpdateBaseUrl())); }, E::kAlways},
    };
    return table;
}

const CMainFrame::FrameCommand* CMainFrame::FindFrameCommand(int id) {
    for (const FrameCommand& c : FrameCommands())
        if (c.id == id) return &c;
    return nullptr;
}

namespace {

// Commands that only change how the picture is shown; every other command first takes
// back what the current tool shows unfinished (the free transform's preview), so that
// it never saves, copies or records a preview.
bool KeepsToolPreview(int id) {
    switch (id) {
    case kCmdZoomIn: case kCmdZoomOut: case kCmdActualSize: case kCmdStretch: case kCmdGrid:
    case kCmdLayerPanel: case kCmdEasyPanel: case kCmdDuplicateWindow: case kCmdNewWindow:
    case kCmdCascade: case kCmdTile:
        return true;
    default: return false;
    }
}

}  // namespace

void CMainFrame::RunCommand(int id) {
    if (m_measure->IsCommand(id)) {
        m_measure->Run(id, ActiveDocument());
        return;
    }
    if (!IsCommandEnabled(id)) return;
    COrinDoc* doc = ActiveDocument();
    if (doc && !doc->IsEmpty() && !KeepsToolPreview(id)) LeaveCurrentTool(*doc);
    // A filter command selects its effect in the effect list and opens the bar for it.
    if (const int index = FilterCommandIndex(id); index >= 0) {
        m_effectList->setCurrentIndex(index);
        OpenEffectBar(doc, EffectNames()[size_t(index)]);
        return;
    }
    if (const FrameCommand* command = FindFrameCommand(id)) command->run(*this, doc);
    else if (FindTool(id)) ChooseToolFromMenu(doc, id);
    else if (const Operation* op = m_operations.Find(id)) RunOperation(*op, doc);
}

void CMainFrame::RunOperation(const Operation& op, COrinDoc* doc) { RunOperation(op, doc, op.Defaults()); }

void CMainFrame::RunOperation(const Operation& op, COrinDoc* doc, const OpValues& values) {
    LeaveCurrentTool(*doc);
    const int width = doc->canvas.width, height = doc->canvas.height;
    const uint64_t revision = doc->revision;
    Status status;
    {
        BusyScope busy(*m_host);
        status = op.run(*doc, values);
    }
    ReportStatus(status);
    // An operation that told the views what it changed is taken at its word (a change
    // of one layer keeps the others' reduced copies); one that told nothing may still
    // have changed anything.
    if (doc->revision == revision) doc->Touch();
    ToolChanged();  // releasing the selection also ends the tool
    if (doc->canvas.width != width || doc->canvas.height != height) UpdateViews(doc, COrinView::kHintCanvas);
    else RefreshDocument(doc);
}

void CMainFrame::ChooseToolFromMenu(COrinDoc* doc, int id) {
    const int before = m_ws.currentTool;
    m_measure->EndAll();  // a picture tool puts the measurement tool down
    ChooseTool(doc, m_ws, id);
    if (id == kCmdGradient && before != kCmdGradient && m_ws.currentTool == kCmdGradient) ShowGradientWindow();
    if (id == kCmdColourRange && m_ws.currentTool == kCmdColourRangePick) ShowColourRangeWindow();
    ToolChanged();
    if (doc) RefreshDocument(doc);
}

void CMainFrame::ToolChanged() {
    for (COrinView* v : m_views) v->SetCursorKind(m_settings.cursorKind);
    m_toolValues->Refresh();
    UpdateCommandStates();
}

void CMainFrame::ShowGradientWindow() {
    if (!m_gradientWindow) {
        m_gradientWindow = new CDlg_Gradient(m_ws, this);
        connect(m_gradientWindow, &CDlg_Gradient::toolEnded, this, &CMainFrame::ToolChanged);
    }
    m_gradientWindow->Refresh();
    m_gradientWindow->show();
    m_gradientWindow->raise();
}

void CMainFrame::ShowColourRangeWindow() {
    if (!m_colourRangeWindow) {
        m_colourRangeWindow = new CDlg_ColourRange(m_ws, [this] { return ActiveDocument(); }, this);
        m_colourRangeWindow->runLong = [this](const std::function<void()>& search) {
            BusyScope busy(*m_host);
            search();
        };
        connect(m_colourRangeWindow, &CDlg_ColourRange::documentChanged, this, [this](COrinDoc* d) {
            d->Touch();
            RefreshDocument(d);
        });
    }
    m_colourRangeWindow->Refresh();
    m_colourRangeWindow->show();
    m_colourRangeWindow->raise();
}

void CMainFrame::NewPictureCommand() {
    m_ws.newWidth = 0;
    m_ws.newHeight = 0;
    m_ws.newFill = -1;
    m_ws.newBpp = 32;
    CDlg_NewPicture dialog(this);
    if (dialog.exec() != QDialog::Accepted) return;
    m_ws.newWidth = dialog.PictureWidth();
    m_ws.newHeight = dialog.PictureHeight();
    NewPicture(m_ws.newWidth, m_ws.newHeight, dialog.WindowName());
}

void CMainFrame::OpenCommand() {
    // The dialog starts in the folder last opened from, else the user's pictures folder.
    QSettings layout(LayoutFilePath(), QSettings::IniFormat);
    QString folder = layout.value(QStringLiteral("openFolder")).toString();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!QFileInfo(folder).isDir()) folder = QDir::homePath();
    COpenPictureDialog dialog(this, folder);
    if (dialog.exec() != QDialog::Accepted) return;
    const QStringList files = dialog.selectedFiles();
    if (!files.isEmpty()) layout.setValue(QStringLiteral("openFolder"), QFileInfo(files.first()).absolutePath());
    for (const QString& file : files) OpenFile(file);
}

QMessageBox::StandardButton CMainFrame::Ask(const QString& text, QMessageBox::StandardButtons buttons) {
    if (saveQuestion) return saveQuestion(text);
    const QMessageBox::StandardButton first = buttons & QMessageBox::Yes ? QMessageBox::Yes : QMessageBox::Ok;
    return buttons & QMessageBox::Yes
               ? QMessageBox::question(this, QStringLiteral("Tessaro"), text, buttons, first)
               : QMessageBox::information(this, QStringLiteral("Tessaro"), text, buttons, first);
}

bool CMainFrame::SaveCommand(COrinDoc* doc, bool saveAs, bool asProject) {
    if (!doc || doc->IsEmpty()) return false;
    const int imageFormat = asProject ? kFormatProject : doc->mainImage ? doc->mainImage->Type() : kFormatJpeg;
    bool mayOpen = false, maySave = false;
    const int pathFormat = FormatFromPath(doc->path);
    const bool pathSaveable = FilterFlags(pathFormat, mayOpen, maySave) && maySave;
    std::string path = doc->path;
    if (asProject) {
        std::string name = SuggestedSaveName(*doc, true);
        path = std::filesystem::path(name).replace_extension(FormatExtension(kFormatProject)).string();
    }
    if ((saveAs || path.empty() || !pathSaveable) && savePath) {
        path = savePath(QString::fromStdString(asProject ? path : SuggestedSaveName(*doc, saveAs))).toStdString();
        if (path.empty()) return false;
    } else if (saveAs || path.empty() || !pathSaveable) {
        QFileDialog dialog(this, QString::fromUtf8(saveAs ? "새이름으로" : "저장하기"));
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilters(PictureFilters(true));
        QString preselected = PictureFilterFor(imageFormat, true);
        if (preselected.isEmpty()) preselected = PictureFilterFor(kFormatJpeg, true);
        dialog.selectNameFilter(preselected);
        const QString suggested = QString::fromStdString(asProject ? path : SuggestedSaveName(*doc, saveAs));
        // A bare name starts beside the document's file, not in the current folder.
        if (!doc->path.empty() && QFileInfo(suggested).isRelative())
            dialog.setDirectory(QFileInfo(QString::fromStdString(doc->path)).absolutePath());
        dialog.selectFile(suggested);
        for (;;) {
            if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
            int chosen = FormatOfFilter(dialog.selectedNameFilter());
            bool offered = FilterFlags(chosen, mayOpen, maySave) && maySave && chosen != 8;
            if (!offered) chosen = FilterFlags(imageFormat, mayOpen, maySave) && maySave ? imageFormat : kFormatJpeg;
            const QString picked = dialog.selectedFiles().first();
            path = WithFormatExtension(picked.toStdString(), chosen);
            if (IsUsableSaveName(path)) break;
            // A folder or an empty name: the dialog opens again in that folder instead
            // of saving a hidden file made of the extension alone.
            const QFileInfo info(picked);
            dialog.setDirectory(info.isDir() ? picked : info.path());
            dialog.selectFile(QString());
        }
    }
    // Told once per document: a picture format keeps only the merged layers.
    if (m_layerKeeping.TakeNotice(*doc, path) &&
        Ask(QString::fromUtf8(shell_text::kFlatSaveNotice), QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Cancel)
        return false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Status status = SaveWithMeasurements(*doc, Measures(*doc).sheet, path, &Measurement(m_ws).calibration);
    QApplication::restoreOverrideCursor();
    if (!status) {
        m_host->Message(status.message.empty() ? msg::kSaveFailed : status.message);
        RefreshDocument(doc);
        return false;
    }
    if (FormatFromPath(path) == kFormatMeasure) Measures(*doc).changed = false;
    m_layerKeeping.Saved(*doc, path);
    m_recent.Add(QString::fromStdString(path));
    if (m_recovery && !doc->changed) m_recovery->Drop(*doc);
    RefreshDocument(doc);
    return true;
}

void CMainFrame::PrintDocument(QPrinter& printer, COrinDoc& doc) {
    if (doc.IsEmpty() || doc.canvas.width <= 0 || doc.canvas.height <= 0) return;
    ComposeParams params;
    params.width = doc.canvas.width;
    params.height = doc.canvas.height;
    std::vector<uint32_t> pixels;
    ComposeLayers(doc, params, pixels);
    const QImage image(reinterpret_cast<const uchar*>(pixels.data()), params.width, params.height, params.width * 4,
                       QImage::Format_ARGB32_Premultiplied);
    const int dpiX = doc.mainImage && doc.mainImage->Info().dpiX > 0 ? doc.mainImage->Info().dpiX : 96;
    const int dpiY = doc.mainImage && doc.mainImage->Info().dpiY > 0 ? doc.mainImage->Info().dpiY : 96;
    const int width = int(int64_t(printer.logicalDpiX()) * params.width / dpiX) - 100;
    const int height = int(int64_t(printer.logicalDpiY()) * params.height / dpiY) - 100;
    QPainter painter(&printer);
    if (width <= 0 || height <= 0) return;  // smaller than the 100-dot margin: an empty page
    painter.fillRect(QRect(100, 100, width, height), Qt::white);
    painter.drawImage(QRect(100, 100, width, height), image);
}

void CMainFrame::PrintCommand() {
    COrinDoc* doc = ActiveDocument();
    if (!doc) return;
    if (!m_printer) m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(m_printer.get(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    PrintDocument(*m_printer, *doc);
    QApplication::restoreOverrideCursor();
}

void CMainFrame::PrintSetupCommand() {
    if (!m_printer) m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPageSetupDialog dialog(m_printer.get(), this);
    dialog.exec();
}

void CMainFrame::CaptureCommand() {
    PlainBitmap bitmap;
    if (!CaptureScreenArea(this, bitmap) || bitmap.width <= 0 || bitmap.height <= 0) return;
    char title[64];
    std::snprintf(title, sizeof title, "Captured Image %d", m_ws.pictureCounter++);
    auto doc = std::make_unique<COrinDoc>(m_ws);
    // A capture that cannot become a document is dropped without a word.
    if (!BitmapDocument(*doc, bitmap, title)) return;
    COrinDoc* raw = AdoptDocument(std::move(doc));
    UpdateViews(raw, COrinView::kHintZoom);
}

bool CMainFrame::ScanSourceCommand() {
    std::vector<ScanDevice> devices;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Status listed = ListScanDevices(devices);
    QApplication::restoreOverrideCursor();
    if (!listed || devices.empty()) {
        m_host->Message(listed ? shell_text::kNoScanner : listed.message);
        return false;
    }
    QSettings layout(LayoutFilePath(), QSettings::IniFormat);
    const QString stored = layout.value(QStringLiteral("scanner/device")).toString();
    QStringList labels;
    int current = 0;
    for (size_t i = 0; i < devices.size(); ++i) {
        labels << QString::fromStdString(devices[i].label + "  [" + devices[i].name + "]");
        if (QString::fromStdString(devices[i].name) == stored) current = int(i);
    }
    int chosen = -1;
    if (scanDeviceChoice) {
        chosen = scanDeviceChoice(labels, current);
    } else {
        bool ok = false;
        const QString label = QInputDialog::getItem(this, QString::fromUtf8("외부장치 선택"), QString::fromUtf8("스캐너:"),
                                                    labels, current, false, &ok);
        if (ok) chosen = int(labels.indexOf(label));
    }
    if (chosen < 0 || chosen >= int(devices.size())) return false;
    layout.setValue(QStringLiteral("scanner/device"), QString::fromStdString(devices[size_t(chosen)].name));
    return true;
}

void CMainFrame::ScanCommand() {
    // Without a chosen device the choice comes first, as with no default source.
    QString device = QSettings(LayoutFilePath(), QSettings::IniFormat).value(QStringLiteral("scanner/device")).toString();
    if (device.isEmpty()) {
        if (!ScanSourceCommand()) return;
        device = QSettings(LayoutFilePath(), QSettings::IniFormat).value(QStringLiteral("scanner/device")).toString();
    }
    PlainBitmap bitmap;
    Status status;
    {
        const BusyScope busy(*m_host);  // Esc stops the scan
        QApplication::setOverrideCursor(Qt::WaitCursor);
        status = ScanPicture(device.toStdString(), bitmap, [this](int percent) {
            m_host->Progress(percent);
            return !m_host->Cancelled();
        });
        QApplication::restoreOverrideCursor();
    }
    if (!status) {
        if (!status.message.empty()) m_host->Message(status.message);
        return;
    }
    char title[64];
    std::snprintf(title, sizeof title, shell_text::kScanTitle, m_ws.pictureCounter++);
    auto doc = std::make_unique<COrinDoc>(m_ws);
    if (Status made = BitmapDocument(*doc, bitmap, title); !made) {
        ReportStatus(made);
        return;
    }
    COrinDoc* raw = AdoptDocument(std::move(doc));
    UpdateViews(raw, COrinView::kHintZoom);
}

void CMainFrame::CutToNewCommand(COrinDoc* doc) {
    std::unique_ptr<COrinDoc> created;
    const Status status = CutToNewDocument(*doc, created);
    ReportStatus(status);
    doc->Touch();
    RefreshDocument(doc);
    if (status && created && !created->IsEmpty()) AdoptDocument(std::move(created));
}

void CMainFrame::LayerPropertiesCommand(COrinDoc* doc) {
    if (!doc || !doc->layers.IsCurrentValid()) return;
    const int slot = doc->layers.current;
    CDlg_LayerProperties dialog(*doc, slot, [this, doc] {
        for (COrinView* v : ViewsOf(doc)) v->viewport()->update();
    }, this);
    if (dialog.exec() == QDialog::Accepted) RecordStep(*doc, kLayerPropertiesLabel, kStepPixels, slot);
    RefreshDocument(doc);
}

void CMainFrame::PreferencesCommand(COrinDoc* doc) {
    PreferenceValues v;
    v.gridGap = std::abs(m_ws.gridGap);
    v.gridColour = m_ws.gridColour;
    v.hatch = m_settings.transpRep;
    v.outlineKind = m_ws.outlineKind;
    v.cursorKind = m_settings.cursorKind;
    v.updateCheck = m_settings.updateCheck == 1;
    v.guide = m_settings.wsCheck == 1;
    if (doc && !doc->IsEmpty() && doc->mainImage) {
        const ImageInfo& info = doc->mainImage->Info();
        v.hasPicture = true;
        v.jpegQuality = std::clamp(int(info.quality), 1, 100);
        v.dpiX = info.dpiX;
        v.dpiY = info.dpiY;
    }
    CDlg_Preferences dialog(v, this);
    if (dialog.exec() == QDialog::Accepted) ApplyPreferences(dialog.Values(), doc);
}

void CMainFrame::ApplyPreferences(const PreferenceValues& v, COrinDoc* doc) {
    m_ws.gridGap = GridGapFromEntry(v.gridGap, m_ws.gridGap > 0);
    m_ws.gridColour = v.gridColour & 0xFFFFFF;
    m_ws.outlineKind = std::clamp(v.outlineKind, 0, 4);
    m_settings.transpRep = v.hatch;
    m_settings.cursorKind = v.cursorKind;
    m_settings.updateCheck = v.updateCheck ? 1 : 0;
    m_settings.wsCheck = v.guide ? 1 : 0;
    if (v.hasPicture && doc && !doc->IsEmpty() && doc->mainImage) {
        doc->mainImage->Info().quality = uint8_t(std::clamp(v.jpegQuality, 1, 100));
        doc->mainImage->SetHorizontalDpi(v.dpiX);
        doc->mainImage->SetVerticalDpi(v.dpiY);
    }
    for (COrinView* view : m_views) {
        view->SetHatchStyle(m_settings.transpRep);
        view->SetCursorKind(m_settings.cursorKind);
        view->viewport()->update();
    }
    // Written at once: a crash later must not lose the user's choices.
    WriteSettingsFile(m_settingsFolder, CurrentSettings());
    UpdateCommandStates();
}

void CMainFrame::LayerEffectCommand(COrinDoc* doc) {
    LayerRecord* layer = doc->CurrentLayer();
    if (!layer) return;
    if (layer->kind == kLayerText) {
        m_host->Message(msg::kTextLayer);
        return;
    }
    const Operation& op = *m_operations.Find(kCmdLayerEffect);
    CDlg_LayerEffect dialog(op.params[kShadowSize], op.params[kShadowColour], this);
    dialog.SetValues(layer->effectOn ? layer->effectSize : op.params[kShadowSize].def, ShadowColour(*layer));
    if (dialog.exec() != QDialog::Accepted) return;
    ReportStatus(op.run(*doc, ClampedValues(op, {dialog.EffectSize(), int(dialog.ShadowColour())})));
    doc->Touch();
    RefreshDocument(doc);
}

void CMainFrame::FreeRotateCommand(COrinDoc* doc) {
    const Operation& op = *m_operations.Find(kCmdFreeRotate);
    CDlg_FreeRotate dialog(op.params[0], m_lastRotation, this);
    if (dialog.exec() != QDialog::Accepted) return;
    m_lastRotation = dialog.Angle();
    RunOperation(op, doc, ClampedValues(op, {m_lastRotation}));
}

void CMainFrame::ResizeCommand(COrinDoc* doc) {
    const Operation& op = *m_operations.Find(kCmdResize);
    CDlg_ImageSize dialog(doc->canvas.width, doc->canvas.height, op.params[kSizeWidth], op.params[kSizeHeight], this);
    if (dialog.exec() != QDialog::Accepted) return;
    RunOperation(op, doc, ClampedValues(op, {dialog.NewWidth(), dialog.NewHeight()}));
}

void CMainFrame::CanvasSizeCommand(COrinDoc* doc) {
    const Operation& op = *m_operations.Find(kCmdCanvasSize);
    CDlg_CanvasSize dialog(doc->canvas.width, doc->canvas.height, op, this);
    if (dialog.exec() != QDialog::Accepted) return;
    RunOperation(op, doc, ClampedValues(op, {dialog.NewWidth(), dialog.NewHeight(), dialog.Anchor()}));
}

void CMainFrame::AdjustmentCommand(COrinDoc* doc, int id) {
    const Operation& op = *m_operations.Find(id);
    LivePreview preview(*doc, op, [this, doc] {
        doc->Touch();
        RefreshDocument(doc);
    });
    if (Status s = preview.Begin(); !s) {
        ReportStatus(s);
        return;
    }
    std::unique_ptr<QDialog> dialog;
    std::function<std::vector<int>()> values;
    auto show = [this, &preview, &values] {
        Status s;
        {
            // A preview of a large layer shows its progress and stops with Esc (the
            // start image then stays).
            BusyScope busy(*m_host);
            s = preview.Show(values());
        }
        ReportStatus(s);
    };
    if (id == kCmdBrightness) {
        auto* d = new CDlg_BrightnessContrast(op, this);
        values = [d] { return d->Values(); };
        connect(d, &CDlg_BrightnessContrast::Changed, this, show);
        dialog.reset(d);
    } else if (id == kCmdColourAdjust) {
        auto* d = new CDlg_ColourAdjust(op, this);
        values = [d] { return d->Values(); };
        connect(d, &CDlg_ColourAdjust::Changed, this, show);
        dialog.reset(d);
    } else {
        auto* d = new CDlg_Histogram(op, LayerHistogram(*doc, *doc->CurrentLayer()), this);
        values = [d] { return d->Values(); };
        connect(d, &CDlg_Histogram::Changed, this, show);
        dialog.reset(d);
    }
    if (dialog->exec() == QDialog::Accepted) preview.Accept();
    else preview.Cancel();
}

void CMainFrame::ChannelViewerCommand(COrinDoc* doc) {
    if (Status s = RefuseTextLayer(*doc); !s) {
        ReportStatus(s);
        return;
    }
    ChannelPlanes planes;
    if (Status s = LayerRgbPlanes(*doc, planes); !s || planes.width == 0) {
        ReportStatus(s);
        return;
    }
    CDlg_ChannelViewer dialog(std::move(planes), [this, doc](ChannelModel model, const ChannelPlanes& shown, int channel) {
        std::unique_ptr<COrinDoc> made;
        const std::string title = ChannelTitle(model, channel, m_ws.pictureCounter++, doc->fileName);
        if (Status s = ChannelDocument(m_ws, shown, channel, title, made); !s) {
            ReportStatus(s);
            return;
        }
        COrinDoc* raw = AdoptDocument(std::move(made));
        UpdateViews(raw, COrinView::kHintZoom);
    }, this);
    dialog.exec();
}

void CMainFrame::RenameLayerCommand(COrinDoc* doc) {
    CDlg_Change_LayerName dialog(this);
    if (dialog.exec() != QDialog::Accepted) return;
    const QString name = dialog.Name();
    ReportStatus(RenameLayer(*doc, std::u16string(reinterpret_cast<const char16_t*>(name.utf16()), size_t(name.size()))));
    RefreshDocument(doc);
}

void CMainFrame::ZoomInCommand(COrinDoc* doc) {
    // Selections being drawn zoom at once; otherwise the zoom tool waits for a click.
    const bool atOnce = (m_ws.currentTool == kCmdPolygonSelect && !doc->selection.shown) ||
                        m_ws.currentTool == kCmdFreeSelect;
    if (atOnce) {
        if (ZoomIn(*doc)) UpdateViews(doc, COrinView::kHintZoom);
        return;
    }
    m_ws.currentTool = kCmdZoomIn;
    for (COrinView* v : m_views) v->SetCursorKind(m_settings.cursorKind);
    UpdateCommandStates();
}

void CMainFrame::ZoomOutCommand(COrinDoc* doc) {
    const int tool = m_ws.currentTool;
    m_ws.currentTool = -1;
    const bool zoomed = ZoomOut(*doc);
    m_ws.currentTool = tool;
    if (zoomed) UpdateViews(doc, COrinView::kHintZoom);
    if (COrinView* view = ActiveView()) view->setFocus();
}

void CMainFrame::CloseAllCommand() {
    std::vector<COrinDoc*> docs;
    for (const auto& d : m_documents) docs.push_back(d.get());
    for (COrinDoc* d : docs) CloseDocument(d, true);
}

// ---------------------------------------------------------------------------------
// Window events

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close && !m_closingQuietly) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(watched))
            if (auto* view = qobject_cast<COrinView*>(sub->widget()))
                if (ViewsOf(&view->Document()).size() == 1 && !ConfirmClose(&view->Document())) {
                    event->ignore();
                    return true;
                }
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    WriteSettingsFile(m_settingsFolder, CurrentSettings());
    {
        QSettings layout(LayoutFilePath(), QSettings::IniFormat);
        layout.setValue(QStringLiteral("windowState"), saveState());
    }
    std::vector<COrinDoc*> docs;
    for (const auto& d : m_documents) docs.push_back(d.get());
    for (COrinDoc* d : docs) {
        // Cancel (or a save that did not happen) keeps the program running.
        if (!CloseDocument(d, true)) {
            event->ignore();
            return;
        }
    }
    if (!m_documents.empty()) {
        event->ignore();
        return;
    }
    m_panelDock->close();
    if (auto* background = dynamic_cast<BackgroundStepStorage*>(m_ws.steps.get())) background->Flush();
    RemoveStepSpace(m_ws.stepFolder);
    // A normal end: no copy is left for recovery.
    if (m_recoveryTimer) m_recoveryTimer->stop();
    m_recovery.reset();
    event->accept();
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Windows made before the frame was shown fit their pictures once it is laid out.
    QTimer::singleShot(0, this, [this] {
        for (const auto& d : m_documents) UpdateViews(d.get(), COrinView::kHintZoom);
    });
}

void CMainFrame::ShowMaximised() {
    // Without a window manager "maximised" is only a state: take the screen's room too.
    if (QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(screen->availableGeometry());
    showMaximized();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    OpenDroppedFiles(*event->mimeData());
    event->acceptProposedAction();
}

void CMainFrame::OpenDroppedFiles(const QMimeData& data) {
    for (const QUrl& url : data.urls())
        if (url.isLocalFile()) OpenFile(url.toLocalFile());
}
