// Fetches the tips list over HTTP without blocking the thread that asks for it.
#pragma once
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace lumivox {

struct TipsLimits {
    int totalMs = 30000;           // the whole transfer, connecting included
    qint64 maxBytes = 1024 * 1024; // beyond this the transfer is cut
};

// http://<tips host>/tips.asp
QUrl TipsUrl();

class TipsLoader : public QObject {
    Q_OBJECT

public:
    TipsLoader(QUrl url, TipsLimits limits, QObject* parent = nullptr);
    ~TipsLoader() override;

    // Sends the request through the system's proxy settings; returns at once.
    void Start();

signals:
    // Emitted once: the body as far as it arrived, whatever the status; empty when
    // nothing arrived (unreachable, refused, timed out before any byte).
    void Finished(const QByteArray& body);

private:
    void ReadAvailable();
    void Finish();

    QUrl url_;
    TipsLimits limits_;
    QNetworkAccessManager* network_ = nullptr;
    QPointer<QNetworkReply> reply_;
    QTimer deadline_;
    QByteArray body_;
    bool done_ = false;
};

} // namespace lumivox
