// Build tool: writes the hicolor theme's pictures of the program's icon,
// OUT/<n>x<n>/apps/org.example.Tessaro.png for every size.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "AppIcon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tessaro-icons OUTPUT-FOLDER\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    for (int size : kAppIconSizes) {
        const QString folder = out + QStringLiteral("/%1x%1/apps").arg(size);
        const QString file = folder + QStringLiteral("/%1.png").arg(QLatin1String(kAppId));
        if (!QDir().mkpath(folder) || !DrawAppIcon(size).save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
