#ifdef _WIN32
#include "tray/platform/wintray.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace lumivox {

namespace {
const wchar_t* const kUtilityClass = L"TPUtilWindow";

std::wstring TipW(const char* utf8) {
    wchar_t wide[128] = {};
    // The shell's tip holds 127 characters; longer text is cut there.
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 128);
    if (n <= 0)
        MultiByteToWideChar(CP_UTF8, 0, std::string(utf8).substr(0, 127).c_str(), -1, wide, 128);
    wide[127] = L'\0';
    return wide;
}

bool SameIcon(const NotifyIconData& a, const NotifyIconData& b) {
    return a.hWnd == b.hWnd && a.uID == b.uID && a.uFlags == b.uFlags &&
           a.uCallbackMessage == b.uCallbackMessage && a.hIcon == b.hIcon &&
           std::strncmp(a.szTip, b.szTip, kTipSize) == 0;
}

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
} // namespace

WinTrayPlatform::WinTrayPlatform(HWND mainWindow, HICON applicationIcon)
    : mainWindow_(mainWindow), applicationIcon_(applicationIcon),
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &WinTrayPlatform::UtilityProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kUtilityClass;
    RegisterClassExW(&windowClass); // fails harmlessly when registered already
}

WinTrayPlatform::~WinTrayPlatform() {
    for (auto& [window, handler] : utilityWindows_) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    }
}

bool WinTrayPlatform::NotifyIcon(NotifyAction action, const NotifyIconData& data) {
    NOTIFYICONDATAW shell{};
    shell.cbSize = sizeof shell;
    shell.hWnd = reinterpret_cast<HWND>(data.hWnd);
    shell.uID = static_cast<UINT>(data.uID);
    shell.uFlags = data.uFlags;
    shell.uCallbackMessage = data.uCallbackMessage;
    shell.hIcon = reinterpret_cast<HICON>(data.hIcon);
    const std::wstring tip = TipW(data.szTip);
    std::copy(tip.begin(), tip.end(), shell.szTip);
    const DWORD message = action == NotifyAction::Add      ? NIM_ADD
                          : action == NotifyAction::Delete ? NIM_DELETE
                                                           : NIM_MODIFY;
    // The shell has this icon as it is already.
    if (action == NotifyAction::Modify && iconPresent_ && lastIcon_ && SameIcon(*lastIcon_, data))
        return true;
    const bool accepted = Shell_NotifyIconW(message, &shell) != FALSE;
    if (accepted && action == NotifyAction::Add)
        iconPresent_ = true;
    if (accepted && action == NotifyAction::Delete)
        iconPresent_ = false;
    if (action != NotifyAction::Delete)
        lastIcon_ = data;
    return accepted;
}

bool WinTrayPlatform::ReAddIcon() {
    iconPresent_ = false;
    if (!lastIcon_)
        return false;
    if (NotifyIcon(NotifyAction::Add, *lastIcon_))
        return true;
    // Refused because the shell still has it: it is there all the same.
    NOTIFYICONDATAW probe{};
    probe.cbSize = sizeof probe;
    probe.hWnd = reinterpret_cast<HWND>(lastIcon_->hWnd);
    probe.uID = static_cast<UINT>(lastIcon_->uID);
    iconPresent_ = Shell_NotifyIconW(NIM_MODIFY, &probe) != FALSE;
    return iconPresent_;
}

WindowHandle WinTrayPlatform::CreateUtilityWindow(std::function<void(WindowMessage&)> handler) {
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kUtilityClass, L"", WS_POPUP, 0, 0, 0, 0,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window)
        return 0;
    utilityWindows_[window] = std::move(handler);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return reinterpret_cast<WindowHandle>(window);
}

void WinTrayPlatform::DestroyUtilityWindow(WindowHandle handle) {
    HWND window = reinterpret_cast<HWND>(handle);
    if (utilityWindows_.erase(window)) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    }
}

LRESULT CALLBACK WinTrayPlatform::UtilityProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    auto* self = reinterpret_cast<WinTrayPlatform*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == self->taskbarCreated_ && self->onShellRestart_) {
        self->onShellRestart_();
        return 0;
    }
    auto it = self->utilityWindows_.find(window);
    if (it == self->utilityWindows_.end())
        return DefWindowProcW(window, message, wParam, lParam);
    WindowMessage m{message, wParam, lParam, 0};
    auto handler = it->second;
    handler(m);
    return m.Result;
}

ScreenPoint WinTrayPlatform::CursorPos() {
    POINT point{};
    GetCursorPos(&point);
    return {int(point.x), int(point.y)};
}

short WinTrayPlatform::KeyState(int virtualKey) {
    return GetKeyState(virtualKey);
}

void WinTrayPlatform::ShowWindow(WindowHandle window, ShowCommand command) {
    // With no icon to come back through, a hidden window would be lost.
    if (command == ShowCommand::Hide && !iconPresent_)
        return;
    ::ShowWindow(reinterpret_cast<HWND>(window),
                 command == ShowCommand::Hide ? SW_HIDE : SW_RESTORE);
}

void WinTrayPlatform::SetForegroundWindow(WindowHandle window) {
    ::SetForegroundWindow(reinterpret_cast<HWND>(window));
}

IconHandle WinTrayPlatform::ApplicationIcon() {
    return reinterpret_cast<IconHandle>(applicationIcon_);
}

WindowHandle WinTrayPlatform::ApplicationWindow() {
    return reinterpret_cast<WindowHandle>(mainWindow_);
}

void WinTrayPlatform::ApplicationMinimize() {
    if (!IsIconic(mainWindow_))
        ::ShowWindow(mainWindow_, SW_MINIMIZE);
}

void WinTrayPlatform::ApplicationRestore() {
    if (IsIconic(mainWindow_))
        ::ShowWindow(mainWindow_, SW_RESTORE);
}

void WinTrayPlatform::HookApplication(const void* owner, ApplicationHook hook) {
    UnhookApplication(owner);
    hooks_.emplace_back(owner, std::move(hook));
}

void WinTrayPlatform::UnhookApplication(const void* owner) {
    hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(),
                                [owner](const auto& entry) { return entry.first == owner; }),
                 hooks_.end());
}

std::optional<WindowHandle> WinTrayPlatform::ActiveFormWindow() {
    if (HWND active = GetActiveWindow())
        return reinterpret_cast<WindowHandle>(active);
    return std::nullopt;
}

std::unique_ptr<TrayTimer> WinTrayPlatform::CreateTimer() {
    return std::make_unique<WinTrayTimer>();
}

std::optional<LRESULT> WinTrayPlatform::HandleMainWindowMessage(UINT message, WPARAM wParam,
                                                                LPARAM lParam) {
    WindowMessage m{message, wParam, lParam, 0};
    const auto hooks = hooks_; // a hook may withdraw itself
    for (const auto& [owner, hook] : hooks) {
        if (hook(m))
            return m.Result;
    }
    // The window's own minimise and restore follow the hooks' and find them done:
    // a second minimise would show a hidden window again.
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MINIMIZE && IsIconic(mainWindow_))
        return 0;
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_RESTORE && !IsIconic(mainWindow_))
        return 0;
    return std::nullopt;
}

WinMainWindowTray::WinMainWindowTray(HWND mainWindow, HICON applicationIcon)
    : mainWindow_(mainWindow),
      platform_(std::make_unique<WinTrayPlatform>(mainWindow, applicationIcon)),
      icon_(std::make_unique<TTrayIcon>(*platform_)) {
    // The stored settings. The hint goes first, so that the shell gets the icon
    // whole in one add: Wine's tray can lose the icon's input when it is changed
    // while still docking.
    icon_->BeginLoad();
    icon_->SetHint("Lumivox语音定时器");
    ShowIcon();
    icon_->SetHide(true);
    icon_->RestoreOn = imLeftClickUp;
    icon_->PopupMenuOn = imNone;
    icon_->Loaded();
    platform_->SetOnShellRestart([this] { ShellRestarted(); });
}

WinMainWindowTray::~WinMainWindowTray() {
    icon_.reset(); // before the platform it talks to
}

void WinMainWindowTray::ShowIcon() {
    try {
        icon_->SetVisible(true);
    } catch (const EOutOfResources&) {
        // Tried again when a shell starts; until then the window minimises as usual.
    }
}

void WinMainWindowTray::ShellRestarted() {
    if (platform_->IconPresent() && platform_->ReAddIcon())
        return;
    if (!platform_->IconPresent())
        ShowIcon();
    if (!platform_->IconPresent() && !IsWindowVisible(mainWindow_))
        ::ShowWindow(mainWindow_, SW_SHOWMINNOACTIVE); // its taskbar button is the way back
}

} // namespace lumivox
#endif
