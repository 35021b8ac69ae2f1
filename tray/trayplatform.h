// What the tray icon component asks of the desktop, and what the desktop tells it.
// The Qt and Win32 adapters implement it for the program; tests put in a fake. One
// platform serves one icon and the program's main window.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

enum TMouseButton { mbLeft, mbRight, mbMiddle };

using TShiftState = unsigned;
inline constexpr TShiftState ssShift = 1u << 0;
inline constexpr TShiftState ssAlt = 1u << 1;
inline constexpr TShiftState ssCtrl = 1u << 2;
inline constexpr TShiftState ssLeft = 1u << 3;
inline constexpr TShiftState ssRight = 1u << 4;
inline constexpr TShiftState ssMiddle = 1u << 5;

namespace lumivox {

// An image for the icon: the program's own or one of an image list. What it stands
// for is the adapter's business.
using IconHandle = std::uintptr_t;

struct ScreenPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// The user's mouse on the icon.
struct TrayMouse {
    enum Action { Move, Press, Release, DoubleClick };
    Action action = Move;
    TMouseButton button = mbLeft; // not for Move
    TShiftState keys = 0;         // Shift, Ctrl and Alt held at the time
    ScreenPoint at;               // the cursor
    bool operator==(const TrayMouse&) const = default;
};

// What the desktop tells the component.
class TrayEvents {
public:
    virtual void IconMouse(const TrayMouse& mouse) = 0;
    // The user minimised the window, or restored it from the taskbar.
    virtual void WindowMinimized() = 0;
    virtual void WindowRestored() = 0;
    // A notification area came (or came back, having forgotten the icon); the last one
    // went, and the icon with it.
    virtual void TrayAppeared() = 0;
    virtual void TrayGone() = 0;
    // The session or the program ends: the icon must go.
    virtual void EndSession() = 0;

protected:
    ~TrayEvents() = default;
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

class TrayPlatform {
public:
    virtual ~TrayPlatform() = default;

    // Where the desktop's news goes (none: nowhere).
    virtual void Listen(TrayEvents* events) = 0;

    // The icon in the notification area; an empty hint shows no tip. False: the
    // desktop refused, or has no notification area.
    virtual bool ShowIcon(IconHandle image, const std::string& hint) = 0;
    virtual void ChangeIcon(IconHandle image, const std::string& hint) = 0;
    virtual bool HideIcon() = 0;
    virtual IconHandle ProgramIcon() = 0;

    // The main window, which carries the taskbar button.
    virtual void MinimizeWindow() = 0; // to the taskbar; nothing when minimised already
    virtual void HideWindow() = 0;     // off the taskbar too: only the icon is left
    virtual void RestoreWindow() = 0;  // shown, not minimised, in front

    // For a menu popped up from the icon: the cursor, and the program's active window
    // brought to the front first, so that a click elsewhere closes the menu.
    virtual ScreenPoint CursorPos() = 0;
    virtual void ActivateForMenu() = 0;

    virtual std::unique_ptr<TrayTimer> CreateTimer() = 0;
};

} // namespace lumivox
