// A component that keeps one icon of the application in the notification area:
// minimising the application retreats into the icon, a chosen mouse action on the
// icon brings it back, another can pop up a menu.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "tray/trayplatform.h"

enum TTrayIconMessage : std::uint8_t {
    imClick,
    imDoubleClick,
    imMouseDown,
    imMouseUp,
    imLeftClickUp,
    imLeftDoubleClick,
    imRightClickUp,
    imRightDoubleClick,
    imNone,
};

class TTrayIcon;
using TNotifyEvent = std::function<void(TTrayIcon& sender)>;
using TMouseEvent =
    std::function<void(TTrayIcon& sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TTrayIcon& sender, TShiftState shift, int x, int y)>;

// The images the icon can show and animate through.
class TImageList {
public:
    virtual ~TImageList() = default;
    virtual int Count() const = 0;
    virtual lumivox::IconHandle GetIcon(int index) const = 0;
};

class TPopupMenu {
public:
    virtual ~TPopupMenu() = default;
    virtual void Popup(int x, int y) = 0;
};

// Raised when the desktop refuses to add or remove the icon.
class EOutOfResources : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The main window's icon's hint, and after it what is left of a countdown (if any).
inline constexpr const char* kTrayHint = "Lumivox语音定时器";
std::string TrayHint(const std::string& remaining);

inline constexpr const char* kCannotCreateTrayIcon = "Cannot Create System Shell Notification Icon";
inline constexpr const char* kCannotRemoveTrayIcon = "Cannot Remove System Shell Notification Icon";

enum class TOperation { opInsert, opRemove };

class TTrayIcon : public lumivox::TrayEvents {
public:
    explicit TTrayIcon(lumivox::TrayPlatform& platform);
    virtual ~TTrayIcon();
    TTrayIcon(const TTrayIcon&) = delete;
    TTrayIcon& operator=(const TTrayIcon&) = delete;

    // Loading: LoadMainWindowSettings (below) calls BeginLoad, sets the properties the
    // main window keeps, then Loaded.
    void BeginLoad() { loading_ = true; }
    virtual void Loaded();
    virtual void Notification(const void* component, TOperation operation);

    // --- Properties -------------------------------------------------------------
    bool Visible() const { return visible_; }
    virtual void SetVisible(bool value);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& value);
    TPopupMenu* PopupMenu = nullptr;
    bool Hide() const { return hide_; }
    void SetHide(bool value) { hide_ = value; }
    TTrayIconMessage RestoreOn = imDoubleClick;
    TTrayIconMessage PopupMenuOn = imNone;
    TImageList* Icons = nullptr;
    int IconIndex() const { return iconIndex_; }
    virtual void SetIconIndex(int index);
    int GetAnimateInterval() const;
    void SetAnimateInterval(int milliseconds);
    bool GetAnimate() const { return animate_; }
    void SetAnimate(bool value);

    // --- Events -----------------------------------------------------------------
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnAnimate; // the animation step itself; replacing it changes nothing

    // --- Operations -------------------------------------------------------------
    virtual void DoClick();
    virtual void DoDblClick();
    virtual void DoMouseMove(TShiftState shift, int x, int y);
    virtual void DoMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void DoMouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void DoOnAnimate(TTrayIcon& sender);
    virtual void Minimize();
    virtual void Restore();
    virtual void Update();
    virtual void ShowMenu();
    virtual void SetDefaultIcon();

    // --- What the desktop tells it ---------------------------------------------
    void IconMouse(const lumivox::TrayMouse& mouse) override;
    void WindowMinimized() override;
    void WindowRestored() override;
    void TrayAppeared() override;
    void TrayGone() override;
    void EndSession() override;

private:
    bool AddIcon();
    void CopyImage(int index);
    void RespondTo(TTrayIconMessage action);

    lumivox::TrayPlatform& platform_;
    std::unique_ptr<lumivox::TrayTimer> timer_;
    lumivox::IconHandle currentIcon_ = 0;
    std::string hint_;
    bool visible_ = false;
    bool hide_ = true;
    bool animate_ = false;
    bool loading_ = false;
    bool followsWindow_ = false; // acts on the user's minimise and restore
    bool inTray_ = false;
    bool windowHidden_ = false; // by Minimize, into the icon
    int iconIndex_ = 0;
};

// trycn1 with the settings the main window keeps. Without a notification area the
// icon waits for one to appear; until then the window minimises to the taskbar.
void LoadMainWindowSettings(TTrayIcon& icon);
