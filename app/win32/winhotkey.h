// The hotkey on Windows: the box that takes the next combination pressed, and the
// combination registered with the system for the window.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>

#include "app/formrules.h"

namespace lumivox::win {

// Makes an edit control read key combinations: Backspace clears it, Esc leaves it,
// Tab moves on. edited runs after each change the user makes.
void MakeHotKeyBox(HWND edit, std::function<void()>* edited);

class RegisteredHotKey {
public:
    explicit RegisteredHotKey(HWND window) : window_(window) {}
    ~RegisteredHotKey();
    RegisteredHotKey(const RegisteredHotKey&) = delete;
    RegisteredHotKey& operator=(const RegisteredHotKey&) = delete;

    // In place of the one held; Taken leaves that one registered.
    HotKeyGrab Grab(const std::optional<HotKey>& hotKey);
    // Whether a WM_HOTKEY's id is this hotkey's.
    bool IsPress(WPARAM id) const { return held_ && static_cast<int>(id) == id_; }

private:
    HWND window_;
    std::optional<HotKey> held_;
    int id_ = 0; // two ids in turn: the new one is registered before the old one goes
};

} // namespace lumivox::win
