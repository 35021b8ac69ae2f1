#include "tips/platform/tipdisplay.h"

#include <QStringDecoder>

#include "tips/weblink.h"

namespace lumivox {

QString TipDisplayText(const std::string& bytes) {
    const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(view);
    if (!utf8.hasError())
        return text;
    QStringDecoder gb18030("GB18030");
    if (gb18030.isValid())
        return gb18030.decode(view);
    return text;
}

QUrl OpenableTipUrl(const std::string& link) {
    // The same bytes pass here as on every other platform.
    const std::string address = OpenableWebLink(link);
    if (address.empty())
        return QUrl();
    const QUrl url(TipDisplayText(address), QUrl::TolerantMode);
    const QString scheme = url.scheme(); // QUrl keeps schemes in lower case
    if (!url.isValid() || (scheme != u"http" && scheme != u"https") || url.host().isEmpty())
        return QUrl();
    return url;
}

} // namespace lumivox
