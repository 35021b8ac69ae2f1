#ifdef _WIN32
#include "tray/platform/wintray.h"

#include <shellapi.h>

#include <functional>
#include <iterator>
#include <map>

namespace lumivox {

namespace {
const wchar_t* const kWindowClass = L"TPUtilWindow";
constexpr UINT kIconId = 1; // the adapter's one icon
// What the shell sends the hidden window for the icon's mouse.
constexpr UINT kIconMessage = WM_USER + 1;

// The shell's mouse messages for the icon, in the component's words.
constexpr struct {
    UINT message;
    TrayMouse::Action action;
    TMouseButton button;
} kMouseSteps[] = {
    {WM_MOUSEMOVE, TrayMouse::Move, mbLeft},
    {WM_LBUTTONDOWN, TrayMouse::Press, mbLeft},
    {WM_LBUTTONUP, TrayMouse::Release, mbLeft},
    {WM_LBUTTONDBLCLK, TrayMouse::DoubleClick, mbLeft},
    {WM_RBUTTONDOWN, TrayMouse::Press, mbRight},
    {WM_RBUTTONUP, TrayMouse::Release, mbRight},
    {WM_RBUTTONDBLCLK, TrayMouse::DoubleClick, mbRight},
    {WM_MBUTTONDOWN, TrayMouse::Press, mbMiddle},
    {WM_MBUTTONUP, TrayMouse::Release, mbMiddle},
    {WM_MBUTTONDBLCLK, TrayMouse::DoubleClick, mbMiddle},
};

// Timer handlers by timer id: SetTimer without a window calls one procedure for all.
std::map<UINT_PTR, std::function<void()>>& TimerHandlers() {
    static std::map<UINT_PTR, std::function<void()>> handlers;
    return handlers;
}

class WinTrayTimer : public TrayTimer {
public:
    ~WinTrayTimer() override { SetEnabled(false); }
    void SetEnabled(bool enabled) override {
        if (enabled == (id_ != 0))
            return;
        if (enabled) {
            id_ = ::SetTimer(nullptr, 0, UINT(interval_), &WinTrayTimer::Tick);
            TimerHandlers()[id_] = [this] {
                if (handler_)
                    handler_();
            };
        } else {
            ::KillTimer(nullptr, id_);
            TimerHandlers().erase(id_);
            id_ = 0;
        }
    }
    bool Enabled() const override { return id_ != 0; }
    void SetInterval(int milliseconds) override {
        interval_ = milliseconds;
        if (id_) { // takes the new interval at once
            SetEnabled(false);
            SetEnabled(true);
        }
    }
    int Interval() const override { return interval_; }
    void SetOnTimer(std::function<void()> handler) override { handler_ = std::move(handler); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        auto& handlers = TimerHandlers();
        if (auto it = handlers.find(id); it != handlers.end()) {
            auto handler = it->second; // the handler may stop its own timer
            handler();
        }
    }

    UINT_PTR id_ = 0;
    int interval_ = 1000;
    std::function<void()> handler_;
};

// Enough for the shell to know which icon is meant.
NOTIFYICONDATAW IconName(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = kIconId;
    return data;
}

NOTIFYICONDATAW WholeIcon(HWND window, IconHandle image, const std::string& hint) {
    NOTIFYICONDATAW data = IconName(window);
    // The tip always, so that an empty hint takes the old one away.
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kIconMessage;
    data.hIcon = reinterpret_cast<HICON>(image);
    // Hints stay well within the tip's 128 characters (the component sees to it).
    MultiByteToWideChar(CP_UTF8, 0, hint.data(), int(hint.size()), data.szTip,
                        int(std::size(data.szTip)) - 1);
    return data;
}

} // namespace

WinTrayPlatform::WinTrayPlatform(HWND mainWindow, HICON programIcon)
    : mainWindow_(mainWindow), programIcon_(programIcon),
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &WinTrayPlatform::WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass); // fails harmlessly when registered already
    // A top-level window, so that the shell's broadcasts reach it; never shown.
    window_ = CreateWindowExW(WS_EX_TOOLWINDOW, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

WinTrayPlatform::~WinTrayPlatform() {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

LRESULT CALLBACK WinTrayPlatform::WindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    auto* self = reinterpret_cast<WinTrayPlatform*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    TrayEvents* events = self ? self->events_ : nullptr;
    if (!events)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == kIconMessage) {
        self->IconMouse(lParam); // wParam names the icon: there is only one
        return 0;
    }
    if (message == self->taskbarCreated_) {
        events->TrayAppeared(); // a shell (re)started; it may have forgotten the icon
        return 0;
    }
    switch (message) {
    case WM_QUERYENDSESSION:
        return TRUE; // the icon never holds the session up
    case WM_ENDSESSION:
        events->EndSession();
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void WinTrayPlatform::IconMouse(LPARAM mouseMessage) {
    for (const auto& step : kMouseSteps) {
        if (LPARAM(step.message) != mouseMessage)
            continue;
        POINT at{};
        GetCursorPos(&at);
        // A key is held while the top bit of its state is set (the low bit toggles).
        const TShiftState keys = (GetKeyState(VK_SHIFT) < 0 ? ssShift : 0) |
                                 (GetKeyState(VK_CONTROL) < 0 ? ssCtrl : 0) |
                                 (GetKeyState(VK_MENU) < 0 ? ssAlt : 0);
        events_->IconMouse({step.action, step.button, keys, {int(at.x), int(at.y)}});
        return;
    }
}

bool WinTrayPlatform::ShowIcon(IconHandle image, const std::string& hint) {
    NOTIFYICONDATAW data = WholeIcon(window_, image, hint);
    iconPresent_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    if (!iconPresent_) {
        // Refused because the shell has it still (one that started again without
        // forgetting it): it is there all the same, and left as it is.
        NOTIFYICONDATAW probe = IconName(window_);
        iconPresent_ = Shell_NotifyIconW(NIM_MODIFY, &probe) != FALSE;
    }
    image_ = image;
    hint_ = hint;
    return iconPresent_;
}

void WinTrayPlatform::ChangeIcon(IconHandle image, const std::string& hint) {
    // Real changes only: Wine's tray can lose the icon's input when it is changed
    // while still docking.
    if (!iconPresent_ || (image == image_ && hint == hint_))
        return;
    NOTIFYICONDATAW data = WholeIcon(window_, image, hint);
    if (Shell_NotifyIconW(NIM_MODIFY, &data)) {
        image_ = image;
        hint_ = hint;
    }
}

bool WinTrayPlatform::HideIcon() {
    NOTIFYICONDATAW data = IconName(window_);
    if (!Shell_NotifyIconW(NIM_DELETE, &data))
        return false;
    iconPresent_ = false;
    return true;
}

IconHandle WinTrayPlatform::ProgramIcon() {
    return reinterpret_cast<IconHandle>(programIcon_);
}

void WinTrayPlatform::MinimizeWindow() {
    if (!IsIconic(mainWindow_))
        ShowWindow(mainWindow_, SW_MINIMIZE);
}

void WinTrayPlatform::HideWindow() {
    ShowWindow(mainWindow_, SW_HIDE);
}

void WinTrayPlatform::RestoreWindow() {
    // A shown window keeps its size; it only comes to the front.
    if (IsIconic(mainWindow_) || !IsWindowVisible(mainWindow_))
        ShowWindow(mainWindow_, SW_RESTORE);
    SetForegroundWindow(mainWindow_);
}

ScreenPoint WinTrayPlatform::CursorPos() {
    POINT point{};
    GetCursorPos(&point);
    return {int(point.x), int(point.y)};
}

void WinTrayPlatform::ActivateForMenu() {
    if (HWND active = GetActiveWindow())
        SetForegroundWindow(active);
}

std::unique_ptr<TrayTimer> WinTrayPlatform::CreateTimer() {
    return std::make_unique<WinTrayTimer>();
}

std::optional<LRESULT> WinTrayPlatform::HandleMainWindowMessage(UINT message, WPARAM wParam,
                                                                LPARAM) {
    if (message != WM_SYSCOMMAND)
        return std::nullopt;
    // Exactly these: with any of the low four bits set the window is left to itself.
    if (events_ && wParam == SC_MINIMIZE)
        events_->WindowMinimized();
    if (events_ && wParam == SC_RESTORE)
        events_->WindowRestored();
    // The window's own minimise and restore follow and find them done: a second
    // minimise would show a hidden window again.
    const WPARAM command = wParam & 0xFFF0;
    if ((command == SC_MINIMIZE && IsIconic(mainWindow_)) ||
        (command == SC_RESTORE && !IsIconic(mainWindow_)))
        return 0;
    return std::nullopt;
}

} // namespace lumivox
#endif
