#include "framework/strtoint.h"

#include <cstdint>

namespace lumivox {

namespace {

int DigitValue(char c, int base) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool StartsHex(std::string_view text, HexPrefix prefixes) {
    return text.front() == '$' ||
           (prefixes == HexPrefix::AlsoBareX && (text.front() == 'x' || text.front() == 'X'));
}

} // namespace

std::optional<int> ParseInteger(std::string_view text, HexPrefix prefixes) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (!text.empty() && StartsHex(text, prefixes)) {
        base = 16;
        text.remove_prefix(1);
    } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return std::nullopt;

    const std::uint64_t limit =
        base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    std::uint64_t magnitude = 0;
    for (char c : text) {
        const int digit = DigitValue(c, base);
        if (digit < 0)
            return std::nullopt;
        magnitude =
            magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (magnitude > limit)
            return std::nullopt;
    }
    // The 32 bits are the two's-complement pattern; a sign negates that value.
    auto bits = static_cast<std::uint32_t>(magnitude);
    if (negative)
        bits = 0u - bits;
    return static_cast<int>(static_cast<std::int32_t>(bits));
}

int StrToInt(const std::string& text) {
    if (const std::optional<int> value = ParseInteger(text, HexPrefix::AlsoBareX))
        return *value;
    throw EConvertError("'" + text + "' is not a valid integer value");
}

} // namespace lumivox
