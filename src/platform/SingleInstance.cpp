#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace zq {
namespace {

const QByteArray kActivate = "activate\n";
constexpr int kClientWaitMs = 2000;

QString runtimeFolder()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir;
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
