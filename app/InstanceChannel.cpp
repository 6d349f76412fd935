#include "InstanceChannel.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <unistd.h>

namespace {

constexpr int kConnectMs = 1000;
constexpr int kWriteMs = 5000;
// A message is a file list; anything far larger is not one of ours.
constexpr qint64 kMaxMessageBytes = 4 << 20;

QString RuntimeFolder(const QString& given) {
    if (!given.isEmpty()) return given;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.startsWith(QLatin1Char('/')) && QDir(runtime).exists()) return runtime;
    return QDir::tempPath();
}

}  // namespace

CInstanceChannel::CInstanceChannel(const QString& settingsFolder, const QString& runtimeFolder, QObject* parent)
    : QObject(parent) {
    const QByteArray key =
        QCryptographicHash::hash(QDir(settingsFolder).absolutePath().toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    m_path = RuntimeFolder(runtimeFolder) + QStringLiteral("/tessaro-%1-%2.socket").arg(getuid()).arg(QLatin1String(key));
}

CInstanceChannel::~CInstanceChannel() { delete m_lock; }

bool CInstanceChannel::LockStart() {
    if (m_lock) return true;
    m_lock = new QLockFile(m_path + QStringLiteral(".lock"));
    if (m_lock->tryLock(10000)) return true;
    delete m_lock;
    m_lock = nullptr;
    return false;
}

bool CInstanceChannel::SendToRunning(const QStringList& files) {
    QLocalSocket socket;
    socket.connectToServer(m_path);
    if (!socket.waitForConnected(kConnectMs)) return false;
    QByteArray message, framed;
    {
        QDataStream out(&message, QIODevice::WriteOnly);
        out << files;
    }
    {
        QDataStream out(&framed, QIODevice::WriteOnly);
        out << message;
    }
    socket.write(framed);
    // Once the bytes are with the system the running editor reads them, even when it is
    // busy right now.
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(kWriteMs)) return false;
    socket.disconnectFromServer();
    return true;
}

bool CInstanceChannel::Listen() {
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by an editor that ended without removing it answers nobody: the
    // start-up lock is held, so no running editor owns it.
    QLocalServer::removeServer(m_path);
    const bool listening = m_server->listen(m_path);
    delete m_lock;
    m_lock = nullptr;
    if (!listening) return false;
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadFrom(socket); });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            ReadFrom(socket);
        }
    });
    return true;
}

void CInstanceChannel::ReadFrom(QLocalSocket* socket) {
    if (socket->bytesAvailable() > kMaxMessageBytes) {
        socket->abort();
        return;
    }
    QDataStream in(socket);
    in.startTransaction();
    QByteArray message;
    in >> message;
    if (!in.commitTransaction()) return;  // the rest is still on its way
    QStringList files;
    QDataStream read(message);
    read >> files;
    socket->disconnectFromServer();
    Q_EMIT filesReceived(files);
}
