#include "app/singleinstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

namespace lumivox {

namespace {

constexpr char kActivate[] = "activate\n";
constexpr char kAcknowledge[] = "ok\n";
// A command takes the running copy as long as a click would; the answer waits for it.
constexpr int kCommandAnswerMs = 10000;
// How long a later start keeps trying to reach a copy that holds the lock but is not
// listening yet (it is still starting up).
constexpr int kReachMs = 5000;
constexpr int kStepMs = 100;
constexpr int kAnswerMs = 2000;
// A request is one short line; anything longer is not ours.
constexpr qint64 kMaxRequest = 512;
// Longest socket path a Unix socket address holds, with room to spare.
constexpr qsizetype kMaxSocketPath = 100;

QString UserFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder;
}

// The process at the other end of a connected local socket runs as this user.
bool SameUser(int descriptor) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return descriptor >= 0 &&
           ::getsockopt(descriptor, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == ::getuid();
}

// A connected socket to the running copy, or -1. Plain system calls: a later start
// asks before any part of Qt's event handling exists.
int ConnectTo(const QString& serverName) {
    // A bare name lives in the temporary folder, as the server puts it.
    const QString path =
        serverName.startsWith(QLatin1Char('/')) ? serverName : QDir::temp().filePath(serverName);
    const QByteArray bytes = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (static_cast<std::size_t>(bytes.size()) >= sizeof address.sun_path)
        return -1;
    std::memcpy(address.sun_path, bytes.constData(), bytes.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        !SameUser(fd)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The answer's first line, up to the limit; empty when none came in time.
std::string ReadLine(int fd, int limitMs) {
    std::string line;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (line.size() <= kMaxRequest && (line.empty() || line.back() != '\n')) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        pollfd ready{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0)
            return {};
        char c = 0;
        if (::read(fd, &c, 1) != 1)
            return {};
        line += c;
    }
    return line;
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

bool SingleInstance::Claim(const Command& command) {
    const bool isCommand = command.action != CommandAction::Start;
    const std::string request = isCommand ? CommandRequest(command) : kActivate;
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (lock_->tryLock(0))
            return true;
        if (lock_->error() != QLockFile::LockFailedError)
            return true; // no lock can be made here: run unguarded
        if (AskRunningCopy(request))
            return false;
        if (waited.elapsed() >= kReachMs)
            return false; // held by a live copy that does not answer: still not two
        QThread::msleep(kStepMs);
    }
}

void SingleInstance::Listen() {
    // A copy that was killed leaves its socket file behind.
    QLocalServer::removeServer(serverName_);
    server_.listen(serverName_);
}

bool SingleInstance::AskRunningCopy(const std::string& request) {
    const int fd = ConnectTo(serverName_);
    if (fd < 0)
        return false;
    const bool isCommand = request != kActivate;
    const bool sent = ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
                      static_cast<ssize_t>(request.size());
    // For a start the answer only says the request arrived; a command's carries its result.
    const std::string answer = ReadLine(fd, isCommand ? kCommandAnswerMs : kAnswerMs);
    ::close(fd);
    if (isCommand)
        reply_ = ReadReplyLine(answer);
    return sent;
}

void SingleInstance::Serve(QLocalSocket* connection) {
    connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
    if (!SameUser(static_cast<int>(connection->socketDescriptor()))) {
        connection->abort();
        return;
    }
    auto read = [this, connection] {
        while (connection->canReadLine()) {
            const QByteArray line = connection->readLine();
            if (line == kActivate) {
                connection->write(kAcknowledge);
                connection->flush();
                emit activationRequested();
                continue;
            }
            // Only the commands a command line can give; anything else is dropped.
            const std::optional<Command> command = ReadCommandRequest(line.toStdString());
            if (command && handler_) {
                const std::string reply = ReplyLine(handler_(*command));
                connection->write(reply.data(), static_cast<qint64>(reply.size()));
                connection->flush();
            }
        }
        if (connection->bytesAvailable() > kMaxRequest)
            connection->abort();
    };
    connect(connection, &QLocalSocket::readyRead, this, read);
    read(); // what arrived with the connection
}

} // namespace lumivox
