// The text of an INI file, read and edited as bytes. Nothing is transcoded, so text
// in any single- or multi-byte code page passes through untouched.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace lumivox {

class IniDocument {
public:
    // A value read is cut to this many bytes.
    static constexpr std::size_t kMaxValueLength = 2047;

    IniDocument() = default;
    explicit IniDocument(std::string bytes) : bytes_(std::move(bytes)) {}

    const std::string& Bytes() const { return bytes_; }

    // The value of the first key named `key` in the first section named `section`
    // (ASCII case ignored), blanks around it removed and one pair of matching
    // quotes stripped; nothing when the key or the section is missing.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;

    // True when the first section named `section` holds at least one key.
    bool SectionHasKeys(std::string_view section) const;

    // Replaces the key's value in place, or appends the key to the end of its
    // section, or appends the section and the key to the end of the file. Every
    // other byte is kept. Throws std::invalid_argument for a section or key name
    // the file could not hold (empty, blanks at either end, line breaks, "]" in a
    // section name, "=" in a key name, a key beginning with ";" or "[").
    void SetValue(std::string_view section, std::string_view key, std::string_view value);

    // How a value must be written so that reading it gives it back: line breaks
    // become blanks, and a value with blanks at either end or in matching quotes
    // is put in double quotes.
    static std::string EncodeValue(std::string_view value);

private:
    std::string bytes_;
};

// The integer conversion of ReadInteger: optional leading blanks and sign, then
// decimal digits, or hexadecimal digits after "$" or after "0x"/"0X". Nothing
// when the text is not such a number or does not fit in 32 bits (hexadecimal up
// to FFFFFFFF is taken as its two's-complement value). The framework's conversion
// without its bare "x" prefix.
std::optional<int> ParseIniInteger(std::string_view text);

} // namespace lumivox
