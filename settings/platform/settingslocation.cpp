#include "settings/platform/settingslocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace lumivox {
namespace {

std::string WithTrailingSeparator(const QString& dir) {
    if (dir.isEmpty())
        return {};
    QString native = QDir::toNativeSeparators(dir);
    if (!native.endsWith(QDir::separator()) && !native.endsWith(QLatin1Char('/')))
        native += QDir::separator();
    return native.toStdString();
}

} // namespace

SettingsPlaces SystemSettingsPlaces() {
    const QString executable =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    return {
        WithTrailingSeparator(executable),
        WithTrailingSeparator(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))};
}

} // namespace lumivox
