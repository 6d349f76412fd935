// Start-up of the editor: the settings file from the program folder (without it the
// program ends), the main frame shown maximised, the command-line file, the splash
// window, the update check, the sweep of stale step folders and the guide window.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "ProgramFolders.h"

class CMainFrame;

struct StartupOptions {
    QString programFolder;   // the folder current at start-up (a run from the build)
    // An installed program's own folders (settings, workbook and steps); when `settings`
    // is empty every one of them is the program folder.
    ProgramFolders folders;
    QStringList files;       // the command line's file (each opens in its own window)
    bool interactive = true; // splash, update check and guide window (tests switch them off)
    bool show = true;        // show the main frame maximised
    // Called with the frame once the command line's files are open, before the start-up
    // windows (the editor starts taking files from later starts here).
    std::function<void(CMainFrame&)> frameReady;
    // Replaces the message box of a failed start (tests).
    std::function<void(const QString&)> messageHook;
};

// The running main frame, or null when the program must end (no settings file, or
// the command line's file could not be opened).
std::unique_ptr<CMainFrame> StartTessaro(const StartupOptions& options);
