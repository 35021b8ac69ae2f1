#include "app/hotkey.h"

#include <vector>

namespace lumivox {

namespace {

constexpr std::pair<const char*, unsigned> kModifierNames[] = {
    {"Ctrl", kCtrl}, {"Alt", kAlt}, {"Shift", kShift}, {"Meta", kMeta}};

// Letters and digits share their codes on every desktop (the keysym of a letter is
// its lower case); the rest are listed.
const std::vector<KeyCodes>& Keys() {
    static const std::vector<KeyCodes> keys = [] {
        static const char* const letters[] = {"A", "B", "C", "D", "E", "F", "G", "H", "I",
                                              "J", "K", "L", "M", "N", "O", "P", "Q", "R",
                                              "S", "T", "U", "V", "W", "X", "Y", "Z"};
        static const char* const digits[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
        static const char* const functions[] = {"F1", "F2", "F3", "F4",  "F5",  "F6",
                                                "F7", "F8", "F9", "F10", "F11", "F12"};
        std::vector<KeyCodes> all;
        for (std::uint32_t i = 0; i < 26; ++i)
            all.push_back({letters[i], 'a' + i, 'A' + i, static_cast<int>('A' + i)});
        for (std::uint32_t i = 0; i < 10; ++i)
            all.push_back({digits[i], '0' + i, '0' + i, static_cast<int>('0' + i)});
        for (std::uint32_t i = 0; i < 12; ++i)
            all.push_back({functions[i], 0xFFBE + i, 0x70 + i, static_cast<int>(0x01000030 + i)});
        const KeyCodes others[] = {
            {"Space", 0x20, 0x20, 0x20},
            {"Insert", 0xFF63, 0x2D, 0x01000006},
            {"Delete", 0xFFFF, 0x2E, 0x01000007},
            {"Home", 0xFF50, 0x24, 0x01000010},
            {"End", 0xFF57, 0x23, 0x01000011},
            {"PageUp", 0xFF55, 0x21, 0x01000016},
            {"PageDown", 0xFF56, 0x22, 0x01000017},
            {"Pause", 0xFF13, 0x13, 0x01000008},
        };
        all.insert(all.end(), std::begin(others), std::end(others));
        return all;
    }();
    return keys;
}

// Only the function keys and Pause do nothing in other programs when pressed alone.
bool NeedsModifier(const KeyCodes& key) {
    return !(key.virtualKey >= 0x70 && key.virtualKey <= 0x7B) && key.virtualKey != 0x13;
}

std::optional<HotKey> Usable(const KeyCodes* key, unsigned modifiers) {
    if (!key || (NeedsModifier(*key) && (modifiers & (kCtrl | kAlt | kMeta)) == 0))
        return std::nullopt;
    return HotKey{modifiers, key};
}

template <typename Code> const KeyCodes* FindKey(Code KeyCodes::*field, Code value) {
    for (const KeyCodes& key : Keys())
        if (key.*field == value)
            return &key;
    return nullptr;
}

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

} // namespace

std::optional<HotKey> ParseHotKey(std::string_view text) {
    unsigned modifiers = 0;
    for (;;) {
        const std::size_t plus = text.find('+');
        if (plus == std::string_view::npos || plus + 1 == text.size())
            break;
        const std::string_view word = text.substr(0, plus);
        bool known = false;
        for (const auto& [name, bit] : kModifierNames)
            if (SameIgnoringAsciiCase(word, name) && !(modifiers & bit)) {
                modifiers |= bit;
                known = true;
            }
        if (!known)
            return std::nullopt;
        text.remove_prefix(plus + 1);
    }
    for (const KeyCodes& key : Keys())
        if (SameIgnoringAsciiCase(text, key.name))
            return Usable(&key, modifiers);
    return std::nullopt;
}

std::string HotKeyText(const HotKey& hotKey) {
    std::string text;
    for (const auto& [name, bit] : kModifierNames)
        if (hotKey.modifiers & bit)
            text += std::string(name) + '+';
    return text + (hotKey.key ? hotKey.key->name : "");
}

std::optional<HotKey> HotKeyFromQtKey(int qtKey, unsigned modifiers) {
    return Usable(FindKey(&KeyCodes::qtKey, qtKey), modifiers);
}

std::optional<HotKey> HotKeyFromVirtualKey(std::uint32_t virtualKey, unsigned modifiers) {
    return Usable(FindKey(&KeyCodes::virtualKey, virtualKey), modifiers);
}

} // namespace lumivox
