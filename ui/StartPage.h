// What an empty editor window shows: buttons for a new picture and for opening one,
// and the recent files, each opened by one click. The buttons carry the menu's own
// actions (same texts, shortcuts and status-bar prompts).
#pragma once

#include <QStringList>
#include <QWidget>

class QAction;
class QLabel;
class QListWidget;

class CStartPage : public QWidget {
    Q_OBJECT
public:
    CStartPage(QAction* newPicture, QAction* open, QWidget* parent = nullptr);
    // The recent files, newest first (full paths).
    void SetRecentFiles(const QStringList& files);
    QListWidget* RecentList() const { return m_recent; }

Q_SIGNALS:
    void fileChosen(const QString& path);

private:
    QListWidget* m_recent;
    QLabel* m_noRecent;
};
