// A desktop that records what the tray icon asks of it.
#pragma once
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
    struct IconCall {
        enum Kind { Show, Change, Hide } kind;
        IconHandle image = 0;
        std::string hint;
    };

    // Settings.
    bool desktopAccepts = true;
    IconHandle programIcon = 0xA99;
    ScreenPoint cursor{120, 7};

    // Record.
    std::vector<IconCall> icon;
    std::vector<std::string> log; // window and menu operations, in order
    TrayEvents* events = nullptr;
    FakeTimer* timer = nullptr;

    void Listen(TrayEvents* listener) override { events = listener; }
    bool ShowIcon(IconHandle image, const std::string& hint) override {
        icon.push_back({IconCall::Show, image, hint});
        return desktopAccepts;
    }
    void ChangeIcon(IconHandle image, const std::string& hint) override {
        icon.push_back({IconCall::Change, image, hint});
    }
    bool HideIcon() override {
        icon.push_back({IconCall::Hide, 0, {}});
        return desktopAccepts;
    }
    IconHandle ProgramIcon() override { return programIcon; }
    void MinimizeWindow() override { log.push_back("minimise window"); }
    void HideWindow() override { log.push_back("hide window"); }
    void RestoreWindow() override { log.push_back("restore window"); }
    ScreenPoint CursorPos() override { return cursor; }
    void ActivateForMenu() override { log.push_back("activate for menu"); }
    std::unique_ptr<TrayTimer> CreateTimer() override {
        auto t = std::make_unique<FakeTimer>();
        timer = t.get();
        return t;
    }

    // The user on the icon, at the cursor, with the keys given.
    void Mouse(TrayMouse::Action action, TMouseButton button = mbLeft, TShiftState keys = 0) {
        events->IconMouse({action, button, keys, cursor});
    }
    int Calls(IconCall::Kind kind) const {
        int n = 0;
        for (const auto& c : icon)
            n += c.kind == kind;
        return n;
    }
};

} // namespace lumivox::test
