// What the window shares with the desktop shell on Windows: the tray icon trycn1 and
// the status line's web tips (tmr1, lblTips). The window hands each of its messages
// here first.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class lvWebTips;

namespace lumivox {
class WinMainWindowTray;
class WinTipsFetch;

class WinShellParts {
public:
    // control: the window's control of that name; showText: puts text on a label
    // sized to it.
    WinShellParts(HWND window, std::function<HWND(const std::string&)> control,
                  std::function<void(HWND, const std::wstring&)> showText);
    ~WinShellParts();
    WinShellParts(const WinShellParts&) = delete;
    WinShellParts& operator=(const WinShellParts&) = delete;

    // A value: the message is done with that result.
    std::optional<LRESULT> Handle(UINT message, WPARAM wParam, LPARAM lParam);

    // Out of the tray (or the taskbar) and to the front: a second start asks for it.
    void BringToFront();

    // --- Tips --------------------------------------------------------------------
    void tmr1Timer();
    void lblTipsClick();

private:
    void TipsArrived(const std::string& body);
    void ShowRandomTip();

    HWND window_;
    std::function<HWND(const std::string&)> control_;
    std::function<void(HWND, const std::wstring&)> showText_;
    std::unique_ptr<WinMainWindowTray> tray_;
    std::unique_ptr<WinTipsFetch> fetch_;
    std::unique_ptr<lvWebTips> Tips;
    bool TipsLoaded = false;
    std::string CurrentTipLink;
};

} // namespace lumivox
