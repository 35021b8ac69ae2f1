// Starting the tips download. The HTTP client and Qt Network, with the libraries it
// brings, live in a module of their own (lumivox-tipsnet) that is loaded when the tips
// are first fetched, seconds after start-up, so they cost nothing before that.
#pragma once
#include <QByteArray>
#include <QObject>
#include <QString>
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

// The module's one entry point, exported as kTipsFetchEntry: starts the transfer and
// returns it as a child of `parent`. `received` runs once, from the calling thread's
// event loop, unless the transfer is deleted first (it then ends unreported).
using StartTipsFetchFn = QObject* (*)(const QUrl& url, const TipsLimits& limits, QObject* parent,
                                      TipsReceived received);
inline constexpr char kTipsFetchEntry[] = "lumivox_start_tips_fetch";

// Loads the module on first use and starts the transfer. The module is looked for
// beside the executable (build tree, portable copies), then in the folder it is
// installed in, relative to the executable; by absolute path only. Without it
// `received` gets an empty body, as when the server cannot be reached, and nothing is
// logged; the result is then null.
QObject* StartTipsDownload(const QUrl& url, const TipsLimits& limits, QObject* parent,
                           TipsReceived received);

} // namespace lumivox
