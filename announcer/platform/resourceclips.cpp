#include "announcer/platform/resourceclips.h"

#include <QResource>
#include <QString>

namespace lumivox {

ClipHandle ResourceClipSource::FindClip(const std::string& type, const std::string& name) const {
    // Stored upper-case, so upper-casing the request matches any letter case.
    const QString path = QStringLiteral(":/%1/%2").arg(QString::fromStdString(type).toUpper(),
                                                       QString::fromStdString(name).toUpper());
    const QResource resource(path);
    if (!resource.isValid() || resource.compressionAlgorithm() != QResource::NoCompression)
        return {};
    return ClipHandle{resource.data(), static_cast<std::size_t>(resource.size())};
}

} // namespace lumivox
