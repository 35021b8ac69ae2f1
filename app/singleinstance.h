// One running copy per user. The first start holds a lock file and listens on a local
// socket; a later start finds the lock taken and hands the running copy its request
// (come to the front, or a command from its command line), then ends. A copy that
// was killed leaves a lock its process id marks as stale and a socket file the next
// first start removes, so neither blocks a new start. Both ends make sure the other
// is the same user.
#pragma once
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>

#include "app/commandline.h"

class QLocalSocket;

namespace lumivox {

class SingleInstance : public QObject {
    Q_OBJECT

public:
    // key names the lock and the socket; folder is where they live (empty: the user's
    // runtime folder, which only that user can enter).
    explicit SingleInstance(const QString& key = QStringLiteral("lumivox"),
                            const QString& folder = QString());
    ~SingleInstance() override;

    // True when this process is to run: it holds the lock (or no lock could be made at
    // all, where running beats refusing). False when another copy runs; it has then
    // been handed the request: the command's, or to come to the front. Needs no
    // application object.
    bool Claim(const Command& command = Command{});
    // The running copy's answer to a command, when Claim handed one over and it came.
    std::optional<CommandReply> Reply() const { return reply_; }
    // Starts taking later starts' requests; needs the application object.
    void Listen();
    // What a command from a later start does here.
    void SetCommandHandler(std::function<CommandReply(const Command&)> handler) {
        handler_ = std::move(handler);
    }

    QString LockPath() const { return lockPath_; }
    QString ServerName() const { return serverName_; }

signals:
    // A later start asked for the window.
    void activationRequested();

private:
    bool AskRunningCopy(const std::string& request);
    void Serve(QLocalSocket* connection);

    QString lockPath_;
    QString serverName_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
    std::optional<CommandReply> reply_;
    std::function<CommandReply(const Command&)> handler_;
};

} // namespace lumivox
