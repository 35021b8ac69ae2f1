#include "app/singleinstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

// Plain Unix sockets rather than QLocalServer: the whole network module would
// otherwise be loaded before the window shows, for two short lines.
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
constexpr std::size_t kMaxRequest = 64;

QString UserFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder;
}

// False when the path does not fit a socket address.
bool AddressOf(const QString& path, sockaddr_un& address) {
    const QByteArray bytes = QFile::encodeName(path);
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (bytes.size() >= static_cast<qsizetype>(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return true;
}

int UnixSocket(int flags) {
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | flags, 0);
}

bool WaitFor(int fd, short events, int ms) {
    pollfd p{fd, events, 0};
    int n;
    do
        n = ::poll(&p, 1, ms);
    while (n < 0 && errno == EINTR);
    return n > 0;
}

void WriteAll(int fd, const char* text) {
    std::size_t left = std::strlen(text);
    while (left > 0) {
        const ssize_t n = ::send(fd, text, left, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        text += n;
        left -= static_cast<std::size_t>(n);
    }
}

} // namespace

SingleInstance::SingleInstance(const QString& key, const QString& folder) {
    const QString dir = folder.isEmpty() ? UserFolder() : folder;
    QDir().mkpath(dir);
    lockPath_ = QDir(dir).filePath(key + QStringLiteral(".lock"));
    serverName_ = QDir(dir).filePath(key + QStringLiteral(".socket"));
    sockaddr_un unused;
    if (!AddressOf(serverName_, unused)) {
        // Too long for a socket address: a name in the temporary folder, per user.
        serverName_ =
            QDir(QDir::tempPath()).filePath(key + QLatin1Char('-') + QString::number(::getuid()));
    }
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // Held for the whole run: only a lock whose process is gone counts as stale.
    lock_->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    if (listener_ >= 0) {
        delete incoming_;
        ::close(listener_);
        ::unlink(QFile::encodeName(serverName_).constData());
    }
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
    sockaddr_un address;
    if (!AddressOf(serverName_, address))
        return true; // the lock alone keeps later starts out
    // A copy that was killed leaves its socket file behind.
    ::unlink(address.sun_path);
    const int fd = UnixSocket(SOCK_NONBLOCK);
    if (fd < 0)
        return true;
    // Only this user may ask (the runtime folder already keeps others out).
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(address.sun_path, 0600) != 0 || ::listen(fd, 8) != 0) {
        ::close(fd);
        return true;
    }
    listener_ = fd;
    incoming_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(incoming_, &QSocketNotifier::activated, this, &SingleInstance::AcceptAll);
    return true;
}

bool SingleInstance::AskRunningCopy() {
    sockaddr_un address;
    if (!AddressOf(serverName_, address))
        return false;
    const int fd = UnixSocket(0);
    if (fd < 0)
        return false;
    int connected;
    do
        connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    while (connected != 0 && errno == EINTR);
    if (connected != 0) {
        ::close(fd);
        return false;
    }
    WriteAll(fd, kActivate);
    // The answer says the request arrived; without one it was still sent.
    if (WaitFor(fd, POLLIN, kAnswerMs)) {
        char answer[sizeof kAcknowledge];
        [[maybe_unused]] const ssize_t n = ::recv(fd, answer, sizeof answer, 0);
    }
    ::close(fd);
    return true;
}

void SingleInstance::AcceptAll() {
    for (;;) {
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (connection < 0) {
            if (errno == EINTR)
                continue;
            return; // EAGAIN: all taken; anything else: try again at the next one
        }
        Serve(connection);
    }
}

void SingleInstance::Serve(int connection) {
    auto* readable = new QSocketNotifier(connection, QSocketNotifier::Read, this);
    auto request = std::make_shared<std::string>();
    auto finish = [readable, connection] {
        readable->setEnabled(false);
        readable->deleteLater();
        ::close(connection);
    };
    connect(readable, &QSocketNotifier::activated, this, [this, connection, request, finish] {
        char chunk[kMaxRequest];
        const ssize_t n = ::recv(connection, chunk, sizeof chunk, 0);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return;
        if (n <= 0) {
            finish();
            return;
        }
        request->append(chunk, static_cast<std::size_t>(n));
        for (std::size_t end; (end = request->find('\n')) != std::string::npos;) {
            const std::string line = request->substr(0, end + 1);
            request->erase(0, end + 1);
            if (line == kActivate) {
                WriteAll(connection, kAcknowledge);
                emit activationRequested();
            }
        }
        if (request->size() > kMaxRequest)
            finish();
    });
}

} // namespace lumivox
