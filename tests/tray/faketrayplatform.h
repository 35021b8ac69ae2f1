// A desktop that records what the tray icon asks of it.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "tray/trayplatform.h"

namespace lumivox::test {

class FakeTimer : public TrayTimer {
public:
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    bool Enabled() const override { return enabled_; }
    void SetInterval(int milliseconds) override { interval_ = milliseconds; }
    int Interval() const override { return interval_; }
    void SetOnTimer(std::function<void()> handler) override { handler_ = std::move(handler); }
    void Tick() {
        if (handler_)
            handler_();
    }

private:
    bool enabled_ = true; // the component must switch it off itself
    int interval_ = 0;
    std::function<void()> handler_;
};

class FakeTrayPlatform : public TrayPlatform {
public:
    struct ShellCall {
        NotifyAction action;
        NotifyIconData data;
    };

    // Settings.
    bool shellAccepts = true;
    IconHandle appIcon = 0xA99;
    ScreenPoint cursor{120, 7};
    std::map<int, short> keys;
    std::optional<WindowHandle> activeForm = 0xF0;

    // Record.
    std::vector<ShellCall> shell;
    std::vector<std::string> log; // application and window operations, in order
    std::map<const void*, ApplicationHook> hooks;
    std::function<void(WindowMessage&)> utilityHandler;
    int utilityWindowsAlive = 0;
    FakeTimer* timer = nullptr;

    static constexpr WindowHandle kUtilityWindow = 0x1234;
    static constexpr WindowHandle kAppWindow = 0xAA;

    bool NotifyIcon(NotifyAction action, const NotifyIconData& data) override {
        shell.push_back({action, data});
        log.push_back(action == NotifyAction::Add      ? "shell add"
                      : action == NotifyAction::Delete ? "shell delete"
                                                       : "shell modify");
        return shellAccepts;
    }
    WindowHandle CreateUtilityWindow(std::function<void(WindowMessage&)> handler) override {
        utilityHandler = std::move(handler);
        ++utilityWindowsAlive;
        return kUtilityWindow;
    }
    void DestroyUtilityWindow(WindowHandle) override { --utilityWindowsAlive; }
    ScreenPoint CursorPos() override { return cursor; }
    short KeyState(int key) override { return keys.count(key) ? keys[key] : 0; }
    void ShowWindow(WindowHandle window, ShowCommand command) override {
        log.push_back(std::string(command == ShowCommand::Hide ? "hide " : "show ") +
                      (window == kAppWindow ? "app" : "other"));
    }
    void SetForegroundWindow(WindowHandle window) override {
        log.push_back(window == kAppWindow ? "foreground app" : "foreground form");
    }
    IconHandle ApplicationIcon() override { return appIcon; }
    WindowHandle ApplicationWindow() override { return kAppWindow; }
    void ApplicationMinimize() override { log.push_back("app minimise"); }
    void ApplicationRestore() override { log.push_back("app restore"); }
    void HookApplication(const void* owner, ApplicationHook hook) override {
        hooks[owner] = std::move(hook);
    }
    void UnhookApplication(const void* owner) override { hooks.erase(owner); }
    std::optional<WindowHandle> ActiveFormWindow() override { return activeForm; }
    std::unique_ptr<TrayTimer> CreateTimer() override {
        auto t = std::make_unique<FakeTimer>();
        timer = t.get();
        return t;
    }

    // Sends a message to the component's invisible window, as the shell would.
    std::intptr_t Send(unsigned message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0) {
        WindowMessage m{message, wParam, lParam, 0};
        utilityHandler(m);
        return m.Result;
    }
    // Passes a message of the application window through the hooks.
    bool SendToApplication(unsigned message, std::uintptr_t wParam) {
        WindowMessage m{message, wParam, 0, 0};
        for (auto& [owner, hook] : hooks)
            if (hook(m))
                return true;
        return false;
    }
    int ShellCalls(NotifyAction action) const {
        int n = 0;
        for (const auto& c : shell)
            n += c.action == action;
        return n;
    }
};

} // namespace lumivox::test
