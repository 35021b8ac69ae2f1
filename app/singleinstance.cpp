#include "app/singleinstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include <unistd.h>

namespace lumivox {

namespace {

constexpr char kActivate[] = "activate\n";
constexpr char kAcknowledge[] = "ok\n";
// How long a later start keeps trying to reach a copy that holds the lock but is not
// listening yet (it is still starting up).
constexpr int kReachMs = 5000;
constexpr int kStepMs = 100;
constexpr int kAnswerMs = 2000;
// A request is one short line; anything longer is not ours.
constexpr qint64 kMaxRequest = 64;
// Longest socket path a Unix socket address holds, with room to spare.
constexpr qsizetype kMaxSocketPath = 100;

QString UserFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder;
}

} // namespace

SingleInstance::SingleInstance(const QString& key, const QString& folder) {
    const QString dir = folder.isEmpty() ? UserFolder() : folder;
    QDir().mkpath(dir);
    lockPath_ = QDir(dir).filePath(key + QStringLiteral(".lock"));
    serverName_ = QDir(dir).filePath(key + QStringLiteral(".socket"));
    if (QFile::encodeName(serverName_).size() > kMaxSocketPath) {
        // Too long for a socket address: a name in the temporary folder, per user.
        serverName_ = key + QLatin1Char('-') + QString::number(::getuid());
    }
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // Held for the whole run: only a lock whose process is gone counts as stale.
    lock_->setStaleLockTime(0);
    // Only this user may ask (the runtime folder already keeps others out).
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
    if (!socket.waitForConnected(kStepMs))
        return false;
    socket.write(kActivate);
    socket.waitForBytesWritten(kAnswerMs);
    // The answer says the request arrived; without one it was still sent.
    socket.waitForReadyRead(kAnswerMs);
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
        if (connection->bytesAvailable() > kMaxRequest)
            connection->abort();
    };
    connect(connection, &QLocalSocket::readyRead, this, read);
    read(); // what arrived with the connection
}

} // namespace lumivox
