// The tray on Windows: what the shell and the main window say reaches the component in
// its own words, and the main window is hidden into the notification area only while
// the shell holds the icon.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tray/platform/wintray.h"

namespace {

using lumivox::TrayMouse;
using lumivox::WinTrayPlatform;

// What the shell sends the hidden window for the icon's mouse.
constexpr UINT kIconCallback = WM_USER + 1;

class Recorder final : public lumivox::TrayEvents {
public:
    std::vector<TrayMouse> mice;
    std::vector<std::string> heard;

    void IconMouse(const TrayMouse& mouse) override { mice.push_back(mouse); }
    void WindowMinimized() override { heard.push_back("minimised"); }
    void WindowRestored() override { heard.push_back("restored"); }
    void TrayAppeared() override { heard.push_back("tray appeared"); }
    void TrayGone() override { heard.push_back("tray gone"); }
    void EndSession() override { heard.push_back("session ends"); }
};

struct Desktop {
    HWND window = CreateWindowExW(0, L"STATIC", L"main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                  200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    WinTrayPlatform platform{window, LoadIconW(nullptr, MAKEINTRESOURCEW(32512))};
    Recorder recorder;

    Desktop() { platform.Listen(&recorder); }
    ~Desktop() { DestroyWindow(window); }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessageW(platform.HiddenWindow(), message, wParam, lParam);
    }
};

TEST(WinTrayTest, TheShellsMouseMessagesBecomeMouseSteps) {
    Desktop d;
    // Shift and Alt held, Ctrl only toggled.
    BYTE keys[256] = {};
    keys[VK_SHIFT] = 0x80;
    keys[VK_MENU] = 0x80;
    keys[VK_CONTROL] = 0x01;
    ASSERT_TRUE(SetKeyboardState(keys));
    const struct {
        UINT message;
        TrayMouse::Action action;
        TMouseButton button;
    } rows[] = {
        {WM_MOUSEMOVE, TrayMouse::Move, mbLeft},
        {WM_LBUTTONUP, TrayMouse::Release, mbLeft},
        {WM_RBUTTONDOWN, TrayMouse::Press, mbRight},
        {WM_MBUTTONDBLCLK, TrayMouse::DoubleClick, mbMiddle},
    };
    for (const auto& row : rows) {
        // Whatever the icon's number says: the adapter has one icon.
        for (WPARAM id : {WPARAM(0), WPARAM(1), ~WPARAM(0)}) {
            d.recorder.mice.clear();
            POINT cursor{};
            GetCursorPos(&cursor);
            EXPECT_EQ(d.Send(kIconCallback, id, row.message), 0);
            ASSERT_EQ(d.recorder.mice.size(), 1u) << std::hex << row.message;
            EXPECT_EQ(d.recorder.mice[0],
                      (TrayMouse{row.action, row.button, ssShift | ssAlt, {cursor.x, cursor.y}}))
                << std::hex << row.message;
        }
    }
    d.recorder.mice.clear();
    d.Send(kIconCallback, 0, WM_MOUSEWHEEL); // not one of the icon's
    EXPECT_TRUE(d.recorder.mice.empty());
    BYTE none[256] = {};
    SetKeyboardState(none);
}

TEST(WinTrayTest, SessionEndAndShellStart) {
    Desktop d;
    EXPECT_EQ(d.Send(WM_QUERYENDSESSION), TRUE);
    EXPECT_EQ(d.Send(WM_ENDSESSION, FALSE), 0); // whatever it says
    d.Send(RegisterWindowMessageW(L"TaskbarCreated"));
    d.Send(WM_PAINT);
    EXPECT_EQ(d.recorder.heard, (std::vector<std::string>{"session ends", "tray appeared"}));
}

TEST(WinTrayTest, ExactSystemCommandsOfTheMainWindowOnly) {
    const std::optional<LRESULT> left; // to the window's own handling
    const struct {
        UINT message;
        WPARAM wParam;
        std::vector<std::string> heard;
        std::optional<LRESULT> result; // for a window that is not minimised
    } rows[] = {
        {WM_SYSCOMMAND, 0xF020, {"minimised"}, left},
        {WM_SYSCOMMAND, 0xF021, {}, left},
        {WM_SYSCOMMAND, 0xF120, {"restored"}, 0}, // nothing left to restore
        {WM_SYSCOMMAND, 0xF122, {}, 0},
        {WM_COMMAND, 0xF020, {}, left},
    };
    for (const auto& row : rows) {
        Desktop d;
        EXPECT_EQ(d.platform.HandleMainWindowMessage(row.message, row.wParam, 0), row.result)
            << std::hex << row.wParam;
        EXPECT_EQ(d.recorder.heard, row.heard) << std::hex << row.wParam;
    }
    // Once the window is minimised (and perhaps hidden), its own minimise must not
    // show it again.
    Desktop d;
    ShowWindow(d.window, SW_MINIMIZE);
    EXPECT_EQ(d.platform.HandleMainWindowMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0), 0);
}

TEST(WinTrayTest, WindowHidesOnlyWhileTheIconIsThere) {
    Desktop d;
    HWND window = d.window;
    TTrayIcon icon(d.platform);

    icon.Minimize();
    EXPECT_TRUE(IsIconic(window));
    EXPECT_TRUE(IsWindowVisible(window)) << "hidden with no icon to come back through";
    icon.Restore();
    EXPECT_FALSE(IsIconic(window));

    icon.SetVisible(true); // the shell (Wine's own tray, or trayer) takes it
    ASSERT_TRUE(d.platform.IconPresent());
    icon.Minimize();
    EXPECT_FALSE(IsWindowVisible(window));

    // A shell that starts again while it still has the icon: kept, not doubled, and
    // the window stays in the tray.
    d.Send(RegisterWindowMessageW(L"TaskbarCreated"));
    EXPECT_TRUE(d.platform.IconPresent());
    EXPECT_FALSE(IsWindowVisible(window));

    icon.Restore();
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsIconic(window));
    icon.SetVisible(false);
    EXPECT_FALSE(d.platform.IconPresent());
}

} // namespace
