// A key combination for the hotkey that speaks the time, in the readable form the
// settings file keeps ("Ctrl+Alt+T"), and the keys it may use with their codes on
// each desktop.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumivox {

enum HotKeyModifier : unsigned { kCtrl = 1, kAlt = 2, kShift = 4, kMeta = 8 };

struct KeyCodes {
    const char* name;         // as written: "T", "F5", "Space"
    std::uint32_t keysym;     // X11 keysym of the unshifted key
    std::uint32_t virtualKey; // Windows virtual-key code
    int qtKey;                // Qt::Key
};

struct HotKey {
    unsigned modifiers = 0;
    const KeyCodes* key = nullptr;
    bool operator==(const HotKey&) const = default;
};

// Nullopt for a name that is not a usable combination: an unknown key, or a key other
// than F1-F12 and Pause without Ctrl, Alt or the logo key.
std::optional<HotKey> ParseHotKey(std::string_view text);
std::string HotKeyText(const HotKey& hotKey);
// A combination from a key press, or nullopt when the key is not one a hotkey may use.
std::optional<HotKey> HotKeyFromQtKey(int qtKey, unsigned modifiers);
std::optional<HotKey> HotKeyFromVirtualKey(std::uint32_t virtualKey, unsigned modifiers);

} // namespace lumivox
