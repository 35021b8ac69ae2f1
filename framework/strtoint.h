// Strict text-to-integer conversion used for every number the user types.
#pragma once
#include <exception>
#include <string>
#include <utility>

namespace lumivox {

// Raised when a text is not an integer; what() is "'<text>' is not a valid integer value".
class EConvertError : public std::exception {
public:
    explicit EConvertError(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// Leading blanks and tabs, one optional sign, then decimal digits, or hexadecimal
// digits after "$", "x", "X", "0x" or "0X"; nothing may follow. Decimal values must
// fit a signed 32-bit integer; hexadecimal ones may use all 32 bits and are read as
// their signed pattern ("$FFFFFFFF" is -1).
int StrToInt(const std::string& text);

} // namespace lumivox
