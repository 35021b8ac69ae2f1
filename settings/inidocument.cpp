#include "settings/inidocument.h"

#include <cstdint>
#include <stdexcept>

#include "framework/strtoint.h"

namespace lumivox {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Only ASCII letters fold: bytes of double-byte text must match exactly.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

struct Line {
    std::size_t begin; // first byte of the line's text
    std::size_t end;   // one past its text, where the line break starts
    std::size_t next;  // one past the line break
};

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;
    std::size_t valueBegin = 0; // offset in the line text of the value, blanks skipped
};

ParsedLine Parse(std::string_view text) {
    ParsedLine parsed;
    const std::string_view body = Trim(text);
    if (body.empty() || body.front() == ';')
        return parsed;
    if (body.front() == '[') {
        const std::size_t close = body.find(']');
        if (close != std::string_view::npos) {
            parsed.kind = LineKind::Section;
            parsed.name = Trim(body.substr(1, close - 1));
        }
        return parsed;
    }
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos)
        return parsed;
    parsed.name = Trim(text.substr(0, eq));
    if (parsed.name.empty())
        return parsed;
    parsed.kind = LineKind::Key;
    std::size_t v = eq + 1;
    while (v < text.size() && IsBlank(text[v]))
        ++v;
    parsed.valueBegin = v;
    return parsed;
}

std::size_t ContentStart(std::string_view bytes) {
    return bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom ? kUtf8Bom.size() : 0;
}

// Calls visit(line) for each line until it returns false.
template <typename Visit> void ForEachLine(std::string_view bytes, Visit visit) {
    std::size_t pos = ContentStart(bytes);
    while (pos < bytes.size()) {
        std::size_t end = pos;
        while (end < bytes.size() && !IsLineBreak(bytes[end]))
            ++end;
        std::size_t next = end;
        if (next < bytes.size()) {
            next +=
                (bytes[next] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n') ? 2 : 1;
        }
        if (!visit(Line{pos, end, next}))
            return;
        pos = next;
    }
}

// The line break new lines get: the file's first one, CR LF for a file with none.
std::string_view LineBreakStyle(std::string_view bytes) {
    const std::size_t at = bytes.find_first_of("\r\n");
    if (at == std::string_view::npos)
        return "\r\n";
    if (bytes[at] == '\n')
        return "\n";
    return (at + 1 < bytes.size() && bytes[at + 1] == '\n') ? "\r\n" : "\r";
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == '"' || value.front() == '\''))
        return value.substr(1, value.size() - 2);
    return value;
}

struct Lookup {
    bool sectionFound = false;
    bool keyFound = false;
    std::size_t sectionAppendAt = 0; // one past the section's last non-blank line
    bool lastLineHasBreak = true;    // whether that line ends in a line break
    Line keyLine{};
    ParsedLine keyParsed{};
    bool hasKeys = false;
};

// Walks the first section named `section`; finds the first key named `key` in it
// (an empty key only counts the section's keys).
Lookup Find(std::string_view bytes, std::string_view section, std::string_view key) {
    Lookup found;
    bool inside = false;
    ForEachLine(bytes, [&](const Line& line) {
        const std::string_view text = bytes.substr(line.begin, line.end - line.begin);
        const ParsedLine parsed = Parse(text);
        if (parsed.kind == LineKind::Section) {
            if (inside)
                return false; // the first section of that name ends here
            if (EqualsIgnoringAsciiCase(parsed.name, section)) {
                inside = true;
                found.sectionFound = true;
                found.sectionAppendAt = line.next;
                found.lastLineHasBreak = line.next > line.end;
            }
            return true;
        }
        if (!inside)
            return true;
        if (!Trim(text).empty()) {
            found.sectionAppendAt = line.next;
            found.lastLineHasBreak = line.next > line.end;
        }
        if (parsed.kind == LineKind::Key) {
            found.hasKeys = true;
            if (!found.keyFound && !key.empty() && EqualsIgnoringAsciiCase(parsed.name, key)) {
                found.keyFound = true;
                found.keyLine = line;
                found.keyParsed = parsed;
            }
        }
        return true;
    });
    return found;
}

void ValidateNames(std::string_view section, std::string_view key) {
    auto badName = [](std::string_view name) {
        return name.empty() || Trim(name).size() != name.size() ||
               name.find_first_of("\r\n") != std::string_view::npos;
    };
    if (badName(section) || section.find(']') != std::string_view::npos)
        throw std::invalid_argument("INI section name cannot be stored");
    if (badName(key) || key.find('=') != std::string_view::npos || key.front() == ';' ||
        key.front() == '[')
        throw std::invalid_argument("INI key name cannot be stored");
}

} // namespace

std::optional<std::string> IniDocument::Value(std::string_view section,
                                              std::string_view key) const {
    if (key.empty())
        return std::nullopt;
    const Lookup found = Find(bytes_, section, key);
    if (!found.keyFound)
        return std::nullopt;
    const std::string_view text = std::string_view(bytes_).substr(
        found.keyLine.begin, found.keyLine.end - found.keyLine.begin);
    std::string_view value = Unquote(Trim(text.substr(found.keyParsed.valueBegin)));
    if (value.size() > kMaxValueLength)
        value = value.substr(0, kMaxValueLength);
    return std::string(value);
}

bool IniDocument::SectionHasKeys(std::string_view section) const {
    return Find(bytes_, section, {}).hasKeys;
}

std::string IniDocument::EncodeValue(std::string_view value) {
    std::string encoded(value);
    for (char& c : encoded)
        if (IsLineBreak(c))
            c = ' ';
    const bool blankAtEnds =
        !encoded.empty() && (IsBlank(encoded.front()) || IsBlank(encoded.back()));
    if (blankAtEnds || Unquote(encoded).size() != encoded.size())
        encoded = '"' + encoded + '"';
    return encoded;
}

void IniDocument::SetValue(std::string_view section, std::string_view key, std::string_view value) {
    ValidateNames(section, key);
    const std::string encoded = EncodeValue(value);
    const Lookup found = Find(bytes_, section, key);

    if (found.keyFound) {
        const std::size_t from = found.keyLine.begin + found.keyParsed.valueBegin;
        bytes_.replace(from, found.keyLine.end - from, encoded);
        return;
    }

    const std::string_view style = LineBreakStyle(bytes_);
    auto breakBefore = [&](std::size_t at) {
        // A CR alone would join a line break that starts with LF right after it.
        return (style == "\r" && at < bytes_.size() && bytes_[at] == '\n')
                   ? std::string_view("\r\n")
                   : style;
    };

    std::string keyLine(key);
    keyLine += '=';
    keyLine += encoded;

    if (found.sectionFound) {
        const std::size_t at = found.sectionAppendAt;
        std::string insert;
        if (!found.lastLineHasBreak)
            insert += style;
        insert += keyLine;
        insert += breakBefore(at);
        bytes_.insert(at, insert);
        return;
    }

    std::string append;
    if (bytes_.size() > ContentStart(bytes_) && !IsLineBreak(bytes_.back()))
        append += style;
    append += '[';
    append += section;
    append += ']';
    append += style;
    append += keyLine;
    append += style;
    bytes_ += append;
}

std::optional<int> ParseIniInteger(std::string_view text) {
    return ParseInteger(text, HexPrefix::DollarOr0x);
}

} // namespace lumivox
