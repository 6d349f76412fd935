#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

#include "Application.h"
#include "MainFrame.h"
#include "SafeFile.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // A signal during a save leaves no partial temporary file beside the target.
    RemoveUnfinishedSavesOnSignals();
    // The platform's own dialogs and buttons speak Korean too, when Qt's translation is installed.
    QTranslator platformTexts;
    if (platformTexts.load(QStringLiteral("qtbase_ko"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&platformTexts);

    StartupOptions options;
    options.programFolder = QDir::currentPath();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) options.files << arguments[1];
    std::unique_ptr<CMainFrame> frame = StartTessaro(options);
    if (!frame) return 0;
    return app.exec();
}
