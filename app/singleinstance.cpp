#include "app/singleinstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <functional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

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
// A request is one short line: anything longer is not one of ours.
constexpr qsizetype kMaxRequest = 256;

QString UserFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder;
}

bool SocketAddress(const QString& path, sockaddr_un* address) {
    const QByteArray name = QFile::encodeName(path);
    *address = {};
    address->sun_family = AF_UNIX;
    if (name.isEmpty() || std::size_t(name.size()) >= sizeof(address->sun_path))
        return false;
    std::memcpy(address->sun_path, name.constData(), std::size_t(name.size()));
    return true;
}

// Waits for one poll event on fd; false on time-out or error.
bool WaitFor(int fd, short events, int timeoutMs) {
    pollfd entry{fd, events, 0};
    int ready;
    do {
        ready = ::poll(&entry, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0 && (entry.revents & events);
}

// One later start's connection, read as the event loop finds bytes on it.
class Connection : public QObject {
public:
    Connection(int fd, std::function<void()> activate, QObject* parent)
        : QObject(parent), fd_(fd), notifier_(fd, QSocketNotifier::Read),
          activate_(std::move(activate)) {
        connect(&notifier_, &QSocketNotifier::activated, this, &Connection::Read);
    }
    ~Connection() override {
        notifier_.setEnabled(false);
        ::close(fd_);
    }

private:
    void Read() {
        char chunk[256];
        for (;;) {
            const ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
            if (got > 0) {
                pending_.append(chunk, got);
                continue;
            }
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                break;
            End(); // closed by the other side, or broken
            break;
        }
        qsizetype end;
        while (!ended_ && (end = pending_.indexOf('\n')) >= 0) {
            const QByteArray line = pending_.left(end + 1);
            pending_.remove(0, end + 1);
            if (line == kActivate) {
                ::send(fd_, kAcknowledge, sizeof kAcknowledge - 1, MSG_NOSIGNAL);
                activate_();
            }
        }
        if (pending_.size() > kMaxRequest)
            End();
    }

    void End() {
        if (ended_)
            return;
        ended_ = true;
        notifier_.setEnabled(false);
        deleteLater();
    }

    int fd_;
    QSocketNotifier notifier_;
    std::function<void()> activate_;
    QByteArray pending_;
    bool ended_ = false;
};

} // namespace

SingleInstance::SingleInstance(const QString& key, const QString& folder) {
    const QString dir = folder.isEmpty() ? UserFolder() : folder;
    QDir().mkpath(dir);
    lockPath_ = QDir(dir).filePath(key + QStringLiteral(".lock"));
    serverName_ = QDir(dir).filePath(key + QStringLiteral(".socket"));
    if (QFile::encodeName(serverName_).size() > kMaxSocketPath) {
        // Too long for a socket address: a name in the temporary folder, per user.
        serverName_ =
            QDir(QDir::tempPath()).filePath(key + QLatin1Char('-') + QString::number(::getuid()));
    }
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // Held for the whole run: only a lock whose process is gone counts as stale.
    lock_->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    if (listenFd_ >= 0) {
        delete listening_;
        ::close(listenFd_);
        // Removed while the lock is still held, so it is never a newer copy's socket.
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
    // The lock alone keeps later starts out: without a socket they only find no one
    // to bring forward.
    sockaddr_un address;
    if (!SocketAddress(serverName_, &address))
        return true;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return true;
    // A copy that was killed leaves its socket file behind.
    ::unlink(address.sun_path);
    // Linux makes the socket file with the socket's own mode: only this user may ask.
    ::fchmod(fd, S_IRUSR | S_IWUSR);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 8) != 0) {
        ::close(fd);
        return true;
    }
    ::chmod(address.sun_path, S_IRUSR | S_IWUSR);
    listenFd_ = fd;
    listening_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(listening_, &QSocketNotifier::activated, this, &SingleInstance::AcceptAll);
    return true;
}

void SingleInstance::AcceptAll() {
    for (;;) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return; // none left (EAGAIN), or out of descriptors for now
        }
        new Connection(
            fd, [this] { emit activationRequested(); }, this);
    }
}

bool SingleInstance::AskRunningCopy() {
    sockaddr_un address;
    if (!SocketAddress(serverName_, &address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    bool connected =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (!connected && (errno == EINPROGRESS || errno == EAGAIN) &&
        WaitFor(fd, POLLOUT, kStepMs * 5)) {
        int error = 0;
        socklen_t size = sizeof error;
        connected = ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
    }
    if (!connected) {
        ::close(fd);
        return false;
    }
    // The request is a few bytes: one send takes it whole unless the buffer is full.
    if (WaitFor(fd, POLLOUT, 1000))
        ::send(fd, kActivate, sizeof kActivate - 1, MSG_NOSIGNAL);
    // The answer says the request arrived; without one it was still sent.
    if (WaitFor(fd, POLLIN, 2000)) {
        char answer[16];
        [[maybe_unused]] const ssize_t got = ::recv(fd, answer, sizeof answer, 0);
    }
    ::close(fd);
    return true;
}

} // namespace lumivox
