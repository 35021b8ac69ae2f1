#pragma once
#include <string>

namespace lumivox {

// Text of the standard exception box: the message, with a full stop added when it
// is non-empty and its last character sorts after '.' (letters and digits do).
std::string ExceptionBoxText(const std::string& message);

} // namespace lumivox
