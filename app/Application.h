// Start-up of the editor: the settings file from the program folder (without it the
// program ends), the main frame shown maximised, the command-line file, the splash
// window, the update check, the sweep of stale step folders and the guide window.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class CMainFrame;

struct StartupOptions {
    QString programFolder;   // the folder current at start-up
    QStringList files;       // the command line's file (each opens in its own window)
    bool interactive = true; // splash, update check and guide window (tests switch them off)
    bool show = true;        // show the main frame maximised
    // Replaces the message box of a failed start (tests).
    std::function<void(const QString&)> messageHook;
};

// The running main frame, or null when the program must end (no settings file, or
// the command line's file could not be opened).
std::unique_ptr<CMainFrame> StartTessaro(const StartupOptions& options);
