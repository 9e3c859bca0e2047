#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace zq {
namespace {

const QByteArray kActivate = "activate\n";
constexpr int kClientWaitMs = 2000;

// A folder of the user's own: the session's runtime folder, else a private folder below the temporary one.
QString runtimeFolder()
{
#ifdef Q_OS_UNIX
    const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && QFileInfo(xdg).isDir())
        return xdg;
    const QString own = QDir(QDir::tempPath()).filePath(QStringLiteral("zqsaltax-%1").arg(::getuid()));
    QDir().mkdir(own, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QFileInfo fi(own);
    if (fi.isDir() && !fi.isSymLink() && fi.ownerId() == ::getuid())
        return own;
#endif
    QString dir = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    return dir.isEmpty() ? QDir::tempPath() : dir;
}

#ifdef Q_OS_WIN
QString userName()
{
    QString name = qEnvironmentVariable("USERNAME");
    if (name.isEmpty())
        name = qEnvironmentVariable("USER");
    return name;
}
#endif

} // namespace

SingleInstance::SingleInstance(const QString& installation, QObject* parent) : QObject(parent)
{
    QString folder = QDir::cleanPath(QFileInfo(installation).absoluteFilePath());
#ifdef Q_OS_WIN
    folder = folder.toLower();
#endif
    const QByteArray digest = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha256).toHex();
    m_id = QStringLiteral("zqsaltax-") + QString::fromLatin1(digest.left(16));
    m_lock = std::make_unique<QLockFile>(lockFilePath());
    // Only a dead owner makes the lock stale, however long the running copy has been open.
    m_lock->setStaleLockTime(0);
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
    if (m_lock)
        m_lock->unlock();
}

QString SingleInstance::lockFilePath() const
{
    return QDir(runtimeFolder()).filePath(m_id + QStringLiteral(".lock"));
}

QString SingleInstance::serverName() const
{
#ifdef Q_OS_WIN
    // Pipe names are machine-wide: keep users apart.
    return m_id + u'-' + userName();
#else
    return QDir(runtimeFolder()).filePath(m_id + QStringLiteral(".sock"));
#endif
}

bool SingleInstance::tryAcquire()
{
    if (m_primary)
        return true;
    QDir().mkpath(runtimeFolder());
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() == QLockFile::LockFailedError)
            return false;
        // The lock cannot be kept at all here: run rather than refuse to start.
        m_primary = true;
        return true;
    }
    m_primary = true;
    // The socket file of a crashed run would block listen(); only the lock holder may remove it.
    QLocalServer::removeServer(serverName());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    m_server->listen(serverName()); // without it a later start simply cannot bring this one to the front
    return true;
}

bool SingleInstance::requestActivation()
{
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (!socket.waitForConnected(kClientWaitMs))
        return false;
    socket.write(kActivate);
    const bool written = socket.waitForBytesWritten(kClientWaitMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kClientWaitMs);
    return written;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            const QByteArray data = socket->readAll();
            if (data.contains(kActivate.trimmed()))
                emit activationRequested();
        });
    }
}

} // namespace zq
