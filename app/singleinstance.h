// One running copy per user. The first start holds a lock file and listens on a local
// socket; a later start finds the lock taken, asks the running copy to come to the
// front, and ends. A copy that was killed leaves a lock its process id marks as stale
// and a socket file the next first start removes, so neither blocks a new start.
#pragma once
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

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

    // True when this process is to run: it is the first copy (or no lock could be
    // made at all, where running beats refusing). False when another copy runs; it
    // has then been asked to come to the front.
    bool Claim();

    QString LockPath() const { return lockPath_; }
    QString ServerName() const { return serverName_; }

signals:
    // A later start asked for the window.
    void activationRequested();

private:
    bool Listen();
    bool AskRunningCopy();
    void Serve(QLocalSocket* connection);

    QString lockPath_;
    QString serverName_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
};

} // namespace lumivox
