// One editor per user and settings folder: a program started while another runs hands
// its files to the running one (which opens them as documents of its window and comes
// to the front) and ends. The channel is a local socket in the user's runtime folder.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLockFile;

class CInstanceChannel : public QObject {
    Q_OBJECT
public:
    // `settingsFolder` tells editors apart: those that share their settings share a window.
    // `runtimeFolder` "" means $XDG_RUNTIME_DIR, or the temporary folder without it.
    explicit CInstanceChannel(const QString& settingsFolder, const QString& runtimeFolder = {},
                              QObject* parent = nullptr);
    ~CInstanceChannel() override;

    // Hands `files` (absolute paths) to a running editor; false when none listens.
    bool SendToRunning(const QStringList& files);
    // Becomes the running editor: later starts reach filesReceived. False when the socket
    // cannot be made (the editor then simply runs on its own).
    bool Listen();
    QString SocketPath() const { return m_path; }

    // Holds the start-up lock from the try to send until listening (or the end of the
    // channel), so that two editors started at once do not both become the running one.
    bool LockStart();

Q_SIGNALS:
    void filesReceived(const QStringList& files);

private:
    void ReadFrom(class QLocalSocket* socket);

    QString m_path;
    QLocalServer* m_server = nullptr;
    QLockFile* m_lock = nullptr;
};
