// The tray icon's desktop on Windows: Shell_NotifyIconW for the notification area.
// The shell's mouse messages for the icon, its "TaskbarCreated" broadcast and the end
// of the session arrive at a hidden window of the adapter's own; the main window's
// procedure hands its messages over first, for the user's minimise and restore.
#pragma once
#ifdef _WIN32
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "tray/trayicon.h"
#include "tray/trayplatform.h"

namespace lumivox {

class WinTrayPlatform : public TrayPlatform {
public:
    WinTrayPlatform(HWND mainWindow, HICON programIcon);
    ~WinTrayPlatform() override;

    void Listen(TrayEvents* events) override { events_ = events; }
    bool ShowIcon(IconHandle image, const std::string& hint) override;
    void ChangeIcon(IconHandle image, const std::string& hint) override;
    bool HideIcon() override;
    IconHandle ProgramIcon() override;
    void MinimizeWindow() override;
    void HideWindow() override;
    void RestoreWindow() override;
    ScreenPoint CursorPos() override;
    void ActivateForMenu() override;
    std::unique_ptr<TrayTimer> CreateTimer() override;

    // For the main window's procedure, before its own handling: a value means the
    // message is done with that result.
    std::optional<LRESULT> HandleMainWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);

    HWND HiddenWindow() const { return window_; }
    bool IconPresent() const { return iconPresent_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void IconMouse(LPARAM mouseMessage);

    HWND mainWindow_;
    HICON programIcon_;
    HWND window_ = nullptr;
    UINT taskbarCreated_;
    TrayEvents* events_ = nullptr;
    bool iconPresent_ = false;
    IconHandle image_ = 0;
    std::string hint_;
};

// trycn1 on Windows: the icon with the main window's settings.
class WinMainWindowTray {
public:
    WinMainWindowTray(HWND mainWindow, HICON applicationIcon)
        : platform_(std::make_unique<WinTrayPlatform>(mainWindow, applicationIcon)),
          icon_(std::make_unique<TTrayIcon>(*platform_)) {
        LoadMainWindowSettings(*icon_);
    }

    TTrayIcon& Icon() { return *icon_; }
    WinTrayPlatform& Platform() { return *platform_; }
    // The single wiring point for the main window's procedure.
    std::optional<LRESULT> HandleMainWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        return platform_->HandleMainWindowMessage(message, wParam, lParam);
    }

private:
    std::unique_ptr<WinTrayPlatform> platform_;
    std::unique_ptr<TTrayIcon> icon_; // goes first: it talks to the platform
};

} // namespace lumivox
#endif
