// The tips download: an HTTP GET that never blocks the thread that starts it.
#pragma once
#include <QByteArray>
#include <QObject>
#include <QUrl>

#include <functional>

namespace lumivox {

struct TipsLimits {
    int totalMs = 30000;           // the whole transfer, connecting included
    qint64 maxBytes = 1024 * 1024; // beyond this the transfer is cut
};

// http://<tips host>/tips.asp
QUrl TipsUrl();

// Gets the body as far as it arrived, whatever the status; empty when nothing arrived
// (unreachable, refused, timed out before any byte).
using TipsReceived = std::function<void(const QByteArray& body)>;

// Starts the transfer through the system's proxy settings and returns it, a child of
// `parent`. `received` runs once, from the calling thread's event loop, unless the
// transfer is deleted first (it then ends unreported). Nothing is logged.
QObject* StartTipsDownload(const QUrl& url, const TipsLimits& limits, QObject* parent,
                           TipsReceived received);

} // namespace lumivox
