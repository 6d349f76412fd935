#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

#include "Application.h"
#include "InstanceChannel.h"
#include "MainFrame.h"
#include "ProgramFolders.h"

// tessaro [--new-instance] [FILE]...
// Files go to the editor already running with the same settings folder, when there is
// one (the file manager opens pictures this way); --new-instance starts another editor.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The platform's own dialogs and buttons speak Korean too, when Qt's translation is installed.
    QTranslator platformTexts;
    if (platformTexts.load(QStringLiteral("qtbase_ko"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&platformTexts);

    StartupOptions options;
    options.programFolder = QDir::currentPath();
    options.folders = ResolveProgramFolders(options.programFolder.toStdString(),
                                            QCoreApplication::applicationDirPath().toStdString(), TESSARO_DATA_FROM_BIN);
    bool newInstance = false;
    const QStringList arguments = QApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QStringLiteral("--new-instance")) newInstance = true;
        else options.files << QFileInfo(arguments[i]).absoluteFilePath();
    }

    CInstanceChannel channel(QString::fromStdString(options.folders.settings));
    if (!newInstance) {
        channel.LockStart();
        if (channel.SendToRunning(options.files)) return 0;
    }
    SeedUserFolders(options.folders);
    options.frameReady = [&channel, newInstance](CMainFrame& frame) {
        if (newInstance || !channel.Listen()) return;
        QObject::connect(&channel, &CInstanceChannel::filesReceived, &frame, [&frame](const QStringList& files) {
            for (const QString& file : files) frame.OpenFile(file);
            if (frame.isMinimized()) frame.showNormal();
            frame.raise();
            frame.activateWindow();
        });
    };
    std::unique_ptr<CMainFrame> frame = StartTessaro(options);
    if (!frame) return 0;
    return app.exec();
}
