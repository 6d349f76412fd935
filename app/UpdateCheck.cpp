#include "UpdateCheck.h"

int LocalVersion() { return 3400; }

QString UpdateBaseUrl() {
    const QByteArray env = qgetenv("TESSARO_UPDATE_URL");
    return env.isEmpty() ? QString::fromUtf8(TESSARO_UPDATE_URL) : QString::fromUtf8(env);
}

void RunUpdateCheck(QWidget*, bool) {}
