#include "tips/weblink.h"

#include <cctype>

namespace lumivox {

namespace {
bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    }
    return true;
}
} // namespace

std::string OpenableWebLink(std::string_view link) {
    while (!link.empty() && Blank(link.front()))
        link.remove_prefix(1);
    while (!link.empty() && Blank(link.back()))
        link.remove_suffix(1);
    for (char c : link) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == ' ' || c == '"')
            return {};
    }
    std::string_view rest;
    if (StartsWithNoCase(link, "http://"))
        rest = link.substr(7);
    else if (StartsWithNoCase(link, "https://"))
        rest = link.substr(8);
    else
        return {};
    std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
    if (const auto at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);
    const std::string_view host = authority.substr(0, authority.find(':'));
    if (host.empty() || host.front() == '\\')
        return {};
    return std::string(link);
}

} // namespace lumivox
