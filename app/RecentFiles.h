// The recent-file list: 9 entries kept in the per-user settings under
// "Tessaro Applications", newest first.
#pragma once

#include <QStringList>

class RecentFileList {
public:
    static constexpr int kSize = 9;
    RecentFileList();
    void Add(const QString& path);
    void Remove(const QString& path);
    const QStringList& Files() const { return m_files; }

private:
    void Store() const;
    QStringList m_files;
};
