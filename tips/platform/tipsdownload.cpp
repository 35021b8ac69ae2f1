#include "tips/platform/tipsdownload.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>

#include <dlfcn.h>

#include "maker.h"

namespace lumivox {

QUrl TipsUrl() {
    return QUrl(QStringLiteral("http://%1%2")
                    .arg(QString::fromUtf8(maker::kTipsHost), QString::fromUtf8(maker::kTipsPath)));
}

namespace {

// Where the module is looked for, in order.
QStringList TipsModuleCandidates(const QString& executableDir) {
    // A relative folder would make the loader search the current directory.
    if (!QDir::isAbsolutePath(executableDir))
        return {};
    const QString file = QStringLiteral(LUMIVOX_TIPSNET_FILE);
    const QDir dir(executableDir);
    return {QDir::cleanPath(dir.filePath(file)),
            QDir::cleanPath(dir.filePath(QStringLiteral(LUMIVOX_TIPSNET_FROM_BIN "/") + file))};
}

// The entry point, or null. Loaded once per process and never unloaded: objects it
// made may outlive any one window. Without it the tips stay away as when the server
// is out of reach; as everywhere else in the program, nothing is logged.
StartTipsFetchFn LoadTipsModule() {
    static const StartTipsFetchFn entry = []() -> StartTipsFetchFn {
        for (const QString& candidate :
             TipsModuleCandidates(QCoreApplication::applicationDirPath())) {
            if (!QFileInfo(candidate).isFile())
                continue;
            void* module = dlopen(QFile::encodeName(candidate).constData(), RTLD_NOW | RTLD_LOCAL);
            return module ? reinterpret_cast<StartTipsFetchFn>(dlsym(module, kTipsFetchEntry))
                          : nullptr;
        }
        return nullptr;
    }();
    return entry;
}

} // namespace

QObject* StartTipsDownload(const QUrl& url, const TipsLimits& limits, QObject* parent,
                           TipsReceived received) {
    if (StartTipsFetchFn start = LoadTipsModule())
        return start(url, limits, parent, std::move(received));
    // Reported later, from the event loop, like a transfer that found no server.
    QTimer::singleShot(0, parent, [received = std::move(received)] { received(QByteArray()); });
    return nullptr;
}

} // namespace lumivox
