// What the tray icon component needs from the desktop: the shell's notification
// area, the application's top-level window, the cursor, the keyboard and a timer.
// The Qt adapter implements it for the real program; tests put in a fake.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace lumivox {

using WindowHandle = std::uintptr_t;
using IconHandle = std::uintptr_t;

// Message numbers the component sends, receives or hooks.
namespace msg {
inline constexpr unsigned kQueryEndSession = 0x0011;
inline constexpr unsigned kEndSession = 0x0016;
inline constexpr unsigned kSysCommand = 0x0112;
inline constexpr unsigned kUser = 0x0400;
inline constexpr unsigned kTrayCallback = kUser + 1;

inline constexpr unsigned kMouseMove = 0x0200;
inline constexpr unsigned kLButtonDown = 0x0201;
inline constexpr unsigned kLButtonUp = 0x0202;
inline constexpr unsigned kLButtonDblClk = 0x0203;
inline constexpr unsigned kRButtonDown = 0x0204;
inline constexpr unsigned kRButtonUp = 0x0205;
inline constexpr unsigned kRButtonDblClk = 0x0206;
inline constexpr unsigned kMButtonDown = 0x0207;
inline constexpr unsigned kMButtonUp = 0x0208;
inline constexpr unsigned kMButtonDblClk = 0x0209;

inline constexpr std::uintptr_t kScMinimize = 0xF020;
inline constexpr std::uintptr_t kScRestore = 0xF120;
} // namespace msg

struct WindowMessage {
    unsigned Msg = 0;
    std::uintptr_t WParam = 0;
    std::intptr_t LParam = 0;
    std::intptr_t Result = 0;
};

// The notification record handed to the shell, in the layout of its ANSI form
// (the tip holds UTF-8 here: the adapters show Unicode).
inline constexpr std::uint32_t kNotifyIconDataSize = 488;
inline constexpr std::uint32_t kNifMessage = 1;
inline constexpr std::uint32_t kNifIcon = 2;
inline constexpr std::uint32_t kNifTip = 4;
inline constexpr std::size_t kTipSize = 128;

struct NotifyIconData {
    std::uint32_t cbSize = 0;
    WindowHandle hWnd = 0;
    std::uintptr_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    IconHandle hIcon = 0;
    char szTip[kTipSize] = {};
};

enum class NotifyAction { Add = 0, Modify = 1, Delete = 2 };
enum class ShowCommand { Hide = 0, Restore = 9 };

inline constexpr int kVkShift = 0x10;
inline constexpr int kVkControl = 0x11;
inline constexpr int kVkMenu = 0x12;

struct ScreenPoint {
    int x = 0;
    int y = 0;
};

class TrayTimer {
public:
    virtual ~TrayTimer() = default;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Enabled() const = 0;
    virtual void SetInterval(int milliseconds) = 0;
    virtual int Interval() const = 0;
    virtual void SetOnTimer(std::function<void()> handler) = 0;
};

using ApplicationHook = std::function<bool(WindowMessage&)>;

class TrayPlatform {
public:
    virtual ~TrayPlatform() = default;

    // The shell: a true result means the shell accepted the request.
    virtual bool NotifyIcon(NotifyAction action, const NotifyIconData& data) = 0;

    // An invisible window whose messages all go to the handler.
    virtual WindowHandle CreateUtilityWindow(std::function<void(WindowMessage&)> handler) = 0;
    virtual void DestroyUtilityWindow(WindowHandle window) = 0;

    virtual ScreenPoint CursorPos() = 0;
    // Negative while the key is held down.
    virtual short KeyState(int virtualKey) = 0;
    virtual void ShowWindow(WindowHandle window, ShowCommand command) = 0;
    virtual void SetForegroundWindow(WindowHandle window) = 0;

    // The application object.
    virtual IconHandle ApplicationIcon() = 0;
    virtual WindowHandle ApplicationWindow() = 0;
    virtual void ApplicationMinimize() = 0; // nothing when already minimised
    virtual void ApplicationRestore() = 0;  // nothing unless minimised
    // Hooks see every message of the application window, in order, before the
    // application handles it; the first one to answer true stops the chain.
    virtual void HookApplication(const void* owner, ApplicationHook hook) = 0;
    virtual void UnhookApplication(const void* owner) = 0;

    // The window of the active form, if there is one.
    virtual std::optional<WindowHandle> ActiveFormWindow() = 0;

    virtual std::unique_ptr<TrayTimer> CreateTimer() = 0;
};

} // namespace lumivox
