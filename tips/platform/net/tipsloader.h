// Fetches the tips list over HTTP without blocking the thread that asks for it. Built
// into the download module; the program reaches it through tipsdownload.h.
#pragma once
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include "tips/platform/tipsdownload.h"

class QNetworkAccessManager;
class QNetworkReply;

namespace lumivox {

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
