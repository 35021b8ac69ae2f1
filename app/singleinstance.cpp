#include "app/singleinstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace lumivox {

namespace {

constexpr char kActivate[] = "activate\n";
constexpr char kAcknowledge[] = "ok\n";
// How long a later start keeps trying to reach a copy that holds the lock but is not
// listening yet (it is still starting up).
constexpr int kReachMs = 5000;
constexpr int kStepMs = 100;
// Longest socket path a Unix socket address holds, with room to spare.
constexpr int kMaxSocketPath = 100;

QString UserFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder;
}

QString UserTag() {
#ifdef _WIN32
    return qEnvironmentVariable("USERNAME");
#else
    return QString::number(getuid());
#endif
}

} // namespace

SingleInstance::SingleInstance(const QString& key, const QString& folder) {
    const QString dir = folder.isEmpty() ? UserFolder() : folder;
    QDir().mkpath(dir);
    lockPath_ = QDir(dir).filePath(key + QStringLiteral(".lock"));
#ifdef _WIN32
    serverName_ = key + QLatin1Char('-') + UserTag(); // a named pipe, per session
#else
    serverName_ = QDir(dir).filePath(key + QStringLiteral(".socket"));
    if (serverName_.toLocal8Bit().size() > kMaxSocketPath) {
        // Too long for a socket address: a name in the temporary folder, per user.
        serverName_ = key + QLatin1Char('-') + UserTag();
    }
#endif
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // Held for the whole run: only a lock whose process is gone counts as stale.
    lock_->setStaleLockTime(0);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* connection = server_.nextPendingConnection())
            Serve(connection);
    });
}

SingleInstance::~SingleInstance() {
    server_.close();
    if (lock_->isLocked())
        lock_->unlock();
}

bool SingleInstance::Claim() {
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (lock_->tryLock(0))
            return Listen();
        if (lock_->error() != QLockFile::LockFailedError)
            return true; // no lock can be made here: run unguarded
        if (AskRunningCopy())
            return false;
        if (waited.elapsed() >= kReachMs)
            return false; // held by a live copy that does not answer: still not two
        QThread::msleep(kStepMs);
    }
}

bool SingleInstance::Listen() {
    // A copy that was killed leaves its socket file behind.
    QLocalServer::removeServer(serverName_);
    server_.listen(serverName_);
    return true; // the lock alone keeps later starts out
}

bool SingleInstance::AskRunningCopy() {
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(kStepMs * 5))
        return false;
    socket.write(kActivate);
    socket.waitForBytesWritten(1000);
    // The answer says the request arrived; without one it was still sent.
    socket.waitForReadyRead(2000);
    socket.disconnectFromServer();
    return true;
}

void SingleInstance::Serve(QLocalSocket* connection) {
    connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
    auto read = [this, connection] {
        while (connection->canReadLine()) {
            if (connection->readLine() == kActivate) {
                connection->write(kAcknowledge);
                connection->flush();
                emit activationRequested();
            }
        }
    };
    connect(connection, &QLocalSocket::readyRead, this, read);
    read(); // what arrived with the connection
}

} // namespace lumivox
