#include <QApplication>
#include <QDir>

#include "Application.h"
#include "MainFrame.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    StartupOptions options;
    options.programFolder = QDir::currentPath();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) options.files << arguments[1];
    std::unique_ptr<CMainFrame> frame = StartTessaro(options);
    if (!frame) return 0;
    return app.exec();
}
