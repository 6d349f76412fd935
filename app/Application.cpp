#include "Application.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "MainFrame.h"
#include "Messages.h"
#include "QtHost.h"
#include "SettingsFile.h"
#include "StartupWindows.h"
#include "StepSpace.h"
#include "UpdateCheck.h"

std::unique_ptr<CMainFrame> StartTessaro(const StartupOptions& options) {
    // The per-user store of the recent-file list.
    QCoreApplication::setOrganizationName(QStringLiteral("Tessaro Applications"));
    QCoreApplication::setApplicationName(QStringLiteral("Tessaro"));

    ProgramFolders folders = options.folders;
    if (folders.settings.empty()) folders.settings = folders.data = folders.steps = options.programFolder.toStdString();
    Settings settings;
    if (!ReadSettingsFile(folders.settings, settings)) {
        const QString text = QtDocumentHost::BoxText(msg::kNoSettings);
        if (options.messageHook) options.messageHook(text);
        else QMessageBox::critical(nullptr, QStringLiteral("Tessaro"), text);
        return nullptr;
    }
    auto frame = std::make_unique<CMainFrame>(folders, settings);
    if (options.messageHook) frame->Host().messageHook = options.messageHook;

    // A command-line file that cannot be opened ends the start.
    for (const QString& file : options.files)
        if (!frame->OpenFile(file)) return nullptr;

    if (options.frameReady) options.frameReady(*frame);
    if (options.show) frame->ShowMaximised();
    if (options.interactive) {
        CSplashDialog splash(frame.get());
        splash.exec();
        RunUpdateCheck(frame.get(), settings.updateCheck == 1);
    }
    // Step folders of programs that no longer run; this program's own is in use.
    SweepStaleStepSpaces(folders.steps);
    // The guide window is asked for by the preferences check box kept on the WS line.
    if (options.interactive && settings.wsCheck == 1) {
        CGuideDialog guide(frame.get());
        guide.exec();
    }
    return frame;
}
