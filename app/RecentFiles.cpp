#include "RecentFiles.h"

#include <QFileInfo>
#include <QSettings>

#include "Preferences.h"

namespace {
const char* const kCompany = kPreferencesCompany;
const char* const kProduct = kPreferencesProduct;
const char* const kSection = "Recent File List";
}  // namespace

RecentFileList::RecentFileList() {
    QSettings store(QString::fromUtf8(kCompany), QString::fromUtf8(kProduct));
    store.beginGroup(QString::fromUtf8(kSection));
    for (int i = 1; i <= kSize; ++i) {
        const QString file = store.value(QStringLiteral("File%1").arg(i)).toString();
        if (!file.isEmpty() && !m_files.contains(file)) m_files << file;
    }
}

void RecentFileList::Add(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    m_files.removeAll(full);
    m_files.prepend(full);
    while (m_files.size() > kSize) m_files.removeLast();
    Store();
}

void RecentFileList::Remove(const QString& path) {
    m_files.removeAll(path);
    Store();
}

void RecentFileList::Store() const {
    QSettings store(QString::fromUtf8(kCompany), QString::fromUtf8(kProduct));
    store.beginGroup(QString::fromUtf8(kSection));
    for (int i = 1; i <= kSize; ++i) {
        const QString key = QStringLiteral("File%1").arg(i);
        if (i <= m_files.size()) store.setValue(key, m_files[i - 1]);
        else store.remove(key);
    }
}
