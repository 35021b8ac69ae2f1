// The download module's entry point: the program loads this module when it first
// fetches the tips, so Qt Network is not loaded before then.
#include <type_traits>

#include "tips/platform/net/tipsloader.h"

extern "C" Q_DECL_EXPORT QObject* lumivox_start_tips_fetch(const QUrl& url,
                                                           const lumivox::TipsLimits& limits,
                                                           QObject* parent,
                                                           lumivox::TipsReceived received) {
    auto* loader = new lumivox::TipsLoader(url, limits, parent);
    QObject::connect(loader, &lumivox::TipsLoader::Finished, loader,
                     [loader, received = std::move(received)](const QByteArray& body) {
                         loader->deleteLater();
                         received(body);
                     });
    loader->Start();
    return loader;
}

// The program calls through this type after looking the name up.
static_assert(std::is_same_v<decltype(&lumivox_start_tips_fetch), lumivox::StartTipsFetchFn>);
