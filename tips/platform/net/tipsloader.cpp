#include "tips/platform/net/tipsloader.h"

#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace lumivox {

TipsLoader::TipsLoader(QUrl url, TipsLimits limits, QObject* parent)
    : QObject(parent), url_(std::move(url)), limits_(limits) {
    deadline_.setSingleShot(true);
    deadline_.setTimerType(Qt::PreciseTimer);
    connect(&deadline_, &QTimer::timeout, this, [this] {
        if (reply_)
            reply_->abort();
    });
}

TipsLoader::~TipsLoader() {
    // Nobody is listening any more: drop the transfer without reporting it.
    done_ = true;
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
    }
}

void TipsLoader::Start() {
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    network_ = new QNetworkAccessManager(this);

    QNetworkRequest request(url_);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("URLCheck"));
    // The manager has no cache; forcing a reload would add request headers.
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);

    reply_ = network_->get(request);
    connect(reply_, &QNetworkReply::readyRead, this, &TipsLoader::ReadAvailable);
    connect(reply_, &QNetworkReply::finished, this, &TipsLoader::Finish);
    deadline_.start(limits_.totalMs);
}

void TipsLoader::ReadAvailable() {
    if (!reply_ || done_)
        return;
    const qint64 room = limits_.maxBytes - body_.size();
    if (room > 0 && reply_->isOpen())
        body_.append(reply_->read(room));
    // A full buffer ends the transfer like a connection broken off there.
    if (body_.size() >= limits_.maxBytes && reply_->isRunning())
        reply_->abort();
}

void TipsLoader::Finish() {
    if (done_)
        return;
    ReadAvailable();
    done_ = true;
    deadline_.stop();
    if (reply_)
        reply_->deleteLater();
    emit Finished(body_);
}

} // namespace lumivox
