#include "tips/platform/tipsdownload.h"

#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>

#include "maker.h"

namespace lumivox {

QUrl TipsUrl() {
    return QUrl(QStringLiteral("http://%1%2")
                    .arg(QString::fromUtf8(maker::kTipsHost), QString::fromUtf8(maker::kTipsPath)));
}

namespace {

class TipsTransfer : public QObject {
public:
    TipsTransfer(const TipsLimits& limits, QObject* parent, TipsReceived received)
        : QObject(parent), limits_(limits), received_(std::move(received)) {
        // setTransferTimeout() only bounds a silence: the whole transfer needs its own.
        deadline_.setSingleShot(true);
        deadline_.setTimerType(Qt::PreciseTimer);
        connect(&deadline_, &QTimer::timeout, this, [this] {
            if (reply_)
                reply_->abort();
        });
    }

    ~TipsTransfer() override {
        // Nobody is listening any more: drop the transfer without reporting it.
        done_ = true;
        if (reply_) {
            reply_->disconnect(this);
            reply_->abort();
        }
    }

    void Start(const QUrl& url) {
        QNetworkProxyFactory::setUseSystemConfiguration(true);
        auto* network = new QNetworkAccessManager(this);
        QNetworkRequest request(url);
        request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("URLCheck"));
        // The manager has no cache; forcing a reload would add request headers.
        request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);

        reply_ = network->get(request);
        connect(reply_, &QNetworkReply::readyRead, this, &TipsTransfer::ReadAvailable);
        connect(reply_, &QNetworkReply::finished, this, &TipsTransfer::Finish);
        deadline_.start(limits_.totalMs);
    }

private:
    void ReadAvailable() {
        if (!reply_ || done_)
            return;
        const qint64 room = limits_.maxBytes - body_.size();
        if (room > 0 && reply_->isOpen())
            body_.append(reply_->read(room));
        // A full buffer ends the transfer like a connection broken off there.
        if (body_.size() >= limits_.maxBytes && reply_->isRunning())
            reply_->abort();
    }

    void Finish() {
        if (done_)
            return;
        ReadAvailable();
        done_ = true;
        deadline_.stop();
        deleteLater();
        received_(body_);
    }

    TipsLimits limits_;
    TipsReceived received_;
    QPointer<QNetworkReply> reply_;
    QTimer deadline_;
    QByteArray body_;
    bool done_ = false;
};

} // namespace

QObject* StartTipsDownload(const QUrl& url, const TipsLimits& limits, QObject* parent,
                           TipsReceived received) {
    auto* transfer = new TipsTransfer(limits, parent, std::move(received));
    transfer->Start(url);
    return transfer;
}

} // namespace lumivox
