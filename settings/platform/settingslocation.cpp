#include "settings/platform/settingslocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace lumivox {
namespace {

std::string WithTrailingSeparator(const QString& dir) {
    QString native = QDir::toNativeSeparators(dir);
    const QChar sep = QDir::separator();
    if (!native.endsWith(sep) && !native.endsWith(QLatin1Char('/')))
        native += sep;
    return native.toStdString();
}

QString ExecutableDirectory() {
    if (!QCoreApplication::instance())
        return {};
    return QCoreApplication::applicationDirPath();
}

bool HasPortableFile() {
    const QString exeDir = ExecutableDirectory();
    return !exeDir.isEmpty() &&
           QFileInfo(QDir(exeDir).filePath(QString::fromLatin1(kSettingsFileName))).isFile();
}

} // namespace

bool IsPortableSettings(const std::string& overrideDir) {
    return overrideDir.empty() && HasPortableFile();
}

std::string SettingsDirectory(const std::string& overrideDir) {
    if (!overrideDir.empty())
        return WithTrailingSeparator(QString::fromStdString(overrideDir));
    if (HasPortableFile())
        return WithTrailingSeparator(ExecutableDirectory());
    return WithTrailingSeparator(
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

std::string SettingsFilePath(const std::string& overrideDir) {
    return SettingsDirectory(overrideDir) + kSettingsFileName;
}

} // namespace lumivox
