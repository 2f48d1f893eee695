#include "platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QLoggingCategory>
#include <QThread>

#include <unistd.h>

Q_LOGGING_CATEGORY(lcInstance, "taloma.instance")

namespace {

constexpr int RequestWaitMs = 1000;
constexpr qint64 MaxRequestBytes = 64;
const QByteArray ShowRequest = "show";

QString runtimeFolder()
{
    const QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        return folder;
    return QStringLiteral("/tmp");
}

} // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent) : QObject(parent)
{
    QString base = name.isEmpty() ? QStringLiteral("taloma-terminal") : name;
    base.replace(QLatin1Char('/'), QLatin1Char('_'));
    // The user id is in the name also in the per-user runtime folder, so that the names stay
    // distinct when several users share a fallback folder.
    base += QLatin1Char('-') + QString::number(::getuid());
    const QString folder = runtimeFolder();
    m_lockPath = folder + QLatin1Char('/') + base + QStringLiteral(".lock");
    m_serverPath = folder + QLatin1Char('/') + base + QStringLiteral(".socket");
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
    if (m_lock)
        m_lock->unlock();
}

bool SingleInstance::acquire()
{
    if (m_result >= 0)
        return m_result == 1;

    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // A running first instance may be days old: only a lock whose owner is gone is stale.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        listen();
        m_result = 1;
        return true;
    }
    if (m_lock->error() == QLockFile::LockFailedError) {
        if (!askFirstInstance())
            qCInfo(lcInstance) << "The running instance did not answer at" << m_serverPath;
        m_result = 0;
        return false;
    }

    // The lock cannot be made at all (folder not writable, odd file system). Refusing to start would
    // lock the user out of the program, so only a first instance that answers stops this one.
    qCWarning(lcInstance) << "Cannot create the lock file" << m_lockPath << "- running without it";
    m_lock.reset();
    if (askFirstInstance()) {
        m_result = 0;
        return false;
    }
    listen();
    m_result = 1;
    return true;
}

void SingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    // Whoever held the socket before us has crashed (we hold the lock), so its socket file is stale.
    QLocalServer::removeServer(m_serverPath);
    if (!m_server->listen(m_serverPath))
        qCWarning(lcInstance) << "Cannot listen at" << m_serverPath << ":" << m_server->errorString();
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        // Reads whole request lines; a peer that sends more than a request is cut off.
        auto serve = [this, socket] {
            while (socket->canReadLine()) {
                if (socket->readLine(MaxRequestBytes).trimmed() == ShowRequest)
                    emit activationRequested();
            }
            if (socket->bytesAvailable() > MaxRequestBytes)
                socket->abort();
        };
        connect(socket, &QLocalSocket::readyRead, this, serve);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        serve();
        if (socket->state() == QLocalSocket::UnconnectedState)
            socket->deleteLater();
    }
}

bool SingleInstance::askFirstInstance()
{
    // The first instance may hold the lock but not listen yet; it gets until the deadline.
    const QDeadlineTimer deadline(RequestWaitMs);
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(m_serverPath);
        if (socket.waitForConnected(int(deadline.remainingTime())))
            break;
        socket.abort();
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    socket.write(ShowRequest + '\n');
    while (socket.bytesToWrite() > 0) {
        if (deadline.hasExpired() || !socket.waitForBytesWritten(int(deadline.remainingTime())))
            return false;
    }
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(int(std::max<qint64>(deadline.remainingTime(), 0)));
    return true;
}
