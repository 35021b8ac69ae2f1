#include "framework/strtoint.h"

#include <cstdint>
#include <limits>

namespace lumivox {

namespace {

[[noreturn]] void Fail(const std::string& text) {
    throw EConvertError("'" + text + "' is not a valid integer value");
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

int StrToInt(const std::string& text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }

    bool hex = false;
    if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == n)
        Fail(text);

    if (hex) {
        std::uint64_t value = 0;
        for (; i < n; ++i) {
            const int digit = HexDigit(text[i]);
            if (digit < 0)
                Fail(text);
            value = value * 16 + static_cast<std::uint64_t>(digit);
            if (value > std::numeric_limits<std::uint32_t>::max())
                Fail(text);
        }
        // The 32 bits are the two's-complement pattern; a sign negates that value.
        const auto pattern = static_cast<std::uint32_t>(value);
        const std::uint32_t result = negative ? 0u - pattern : pattern;
        return static_cast<int>(result);
    }

    const std::int64_t limit = negative
                                   ? -static_cast<std::int64_t>(std::numeric_limits<int>::min())
                                   : std::numeric_limits<int>::max();
    std::int64_t value = 0;
    for (; i < n; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            Fail(text);
        value = value * 10 + (c - '0');
        if (value > limit)
            Fail(text);
    }
    return static_cast<int>(negative ? -value : value);
}

} // namespace lumivox
