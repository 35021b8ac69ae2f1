// The tray icon's desktop on Windows: Shell_NotifyIconW for the shell, the main
// window standing in for the application's top-level window.
//
// Minimise becomes hide: the window procedure hands each of its messages to
//   HandleMainWindowMessage first -> the application hooks -> TTrayIcon::Minimize
//   -> ShowWindow(SW_MINIMIZE) then ShowWindow(SW_HIDE); the hide is refused while
//   no icon is in the notification area, so the window is never lost.
// Click becomes restore: the shell sends the callback message to the utility window
//   -> TTrayIcon's HandleCallback -> RestoreOn (left button up) -> Restore.
// A restarted shell (the registered "TaskbarCreated" message) gets the icon again.
#pragma once
#ifdef _WIN32
#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "tray/trayicon.h"
#include "tray/trayplatform.h"

namespace lumivox {

class WinTrayPlatform : public TrayPlatform {
public:
    WinTrayPlatform(HWND mainWindow, HICON applicationIcon);
    ~WinTrayPlatform() override;

    bool NotifyIcon(NotifyAction action, const NotifyIconData& data) override;
    WindowHandle CreateUtilityWindow(std::function<void(WindowMessage&)> handler) override;
    void DestroyUtilityWindow(WindowHandle window) override;
    ScreenPoint CursorPos() override;
    short KeyState(int virtualKey) override;
    void ShowWindow(WindowHandle window, ShowCommand command) override;
    void SetForegroundWindow(WindowHandle window) override;
    IconHandle ApplicationIcon() override;
    WindowHandle ApplicationWindow() override;
    void ApplicationMinimize() override;
    void ApplicationRestore() override;
    void HookApplication(const void* owner, ApplicationHook hook) override;
    void UnhookApplication(const void* owner) override;
    std::optional<WindowHandle> ActiveFormWindow() override;
    std::unique_ptr<TrayTimer> CreateTimer() override;

    // For the main window's procedure, before its own handling: runs the
    // application hooks; a value means the message is done with that result.
    std::optional<LRESULT> HandleMainWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);

    bool IconPresent() const { return iconPresent_; }
    // Called when the shell has restarted (it forgot the icon).
    void SetOnShellRestart(std::function<void()> handler) { onShellRestart_ = std::move(handler); }
    // Adds the last icon again; false when the shell refused.
    bool ReAddIcon();

private:
    static LRESULT CALLBACK UtilityProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND mainWindow_;
    HICON applicationIcon_;
    UINT taskbarCreated_;
    bool iconPresent_ = false;
    std::optional<NotifyIconData> lastIcon_;
    std::map<HWND, std::function<void(WindowMessage&)>> utilityWindows_;
    std::vector<std::pair<const void*, ApplicationHook>> hooks_;
    std::function<void()> onShellRestart_;
};

// trycn1 on Windows: the icon with the main window's stored settings, added again
// when the shell restarts; while no icon could be added the window minimises as usual.
class WinMainWindowTray {
public:
    WinMainWindowTray(HWND mainWindow, HICON applicationIcon);
    ~WinMainWindowTray();

    TTrayIcon& Icon() { return *icon_; }
    WinTrayPlatform& Platform() { return *platform_; }
    // The single wiring point for the main window's procedure.
    std::optional<LRESULT> HandleMainWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        return platform_->HandleMainWindowMessage(message, wParam, lParam);
    }

private:
    void ShowIcon();
    void ShellRestarted();

    HWND mainWindow_;
    std::unique_ptr<WinTrayPlatform> platform_;
    std::unique_ptr<TTrayIcon> icon_;
};

} // namespace lumivox
#endif
