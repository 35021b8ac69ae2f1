// Strict text-to-integer conversion used for every number the user types.
#pragma once
#include <exception>
#include <optional>
#include <string>
#include <string_view>
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

// Which prefixes mark hexadecimal digits: "$", "0x" and "0X" always; a bare "x" or
// "X" only where the conversion allows it.
enum class HexPrefix { DollarOr0x, AlsoBareX };

// Leading blanks and tabs, one optional sign, then decimal digits, or hexadecimal
// digits after a prefix; nothing may follow. Decimal values must fit a signed 32-bit
// integer; hexadecimal ones may use all 32 bits and are read as their signed pattern
// ("$FFFFFFFF" is -1). Nothing when the text is not such a number.
std::optional<int> ParseInteger(std::string_view text, HexPrefix prefixes);

// ParseInteger with every prefix; a text that is not an integer raises EConvertError.
int StrToInt(const std::string& text);

} // namespace lumivox
