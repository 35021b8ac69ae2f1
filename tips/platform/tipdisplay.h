// Turning the raw bytes of a tip into what the window shows and opens.
#pragma once
#include <QString>
#include <QUrl>

#include <string>

namespace lumivox {

// The bytes as UTF-8 when they are valid UTF-8, else as GB18030 (code page 936).
QString TipDisplayText(const std::string& bytes);

// The link as a web address when its scheme is http or https and it names a
// host; otherwise an invalid QUrl. Links come over plain HTTP, so anything that
// could run a program or open a local file is refused.
QUrl OpenableTipUrl(const std::string& link);

} // namespace lumivox
