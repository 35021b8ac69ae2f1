// The tray on Windows: the main window is hidden into the notification area only
// while the shell holds the icon.
#include <windows.h>

#include <gtest/gtest.h>

#include "tray/platform/wintray.h"

namespace {

TEST(WinTrayTest, WindowHidesOnlyWhileTheIconIsThere) {
    HWND window = CreateWindowExW(0, L"STATIC", L"main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                  200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    {
        lumivox::WinTrayPlatform platform(window, LoadIconW(nullptr, MAKEINTRESOURCEW(32512)));
        const auto handle = reinterpret_cast<lumivox::WindowHandle>(window);

        platform.ShowWindow(handle, lumivox::ShowCommand::Hide);
        EXPECT_TRUE(IsWindowVisible(window)) << "hidden with no icon to come back through";

        TTrayIcon icon(platform);
        icon.SetVisible(true); // the shell (Wine's own tray, or trayer) takes it
        ASSERT_TRUE(platform.IconPresent());
        platform.ShowWindow(handle, lumivox::ShowCommand::Hide);
        EXPECT_FALSE(IsWindowVisible(window));

        // A shell that starts again while it still has the icon: kept, not doubled.
        EXPECT_TRUE(platform.ReAddIcon());
        EXPECT_TRUE(platform.IconPresent());

        icon.SetVisible(false);
        EXPECT_FALSE(platform.IconPresent());
        platform.ShowWindow(handle, lumivox::ShowCommand::Restore);
        EXPECT_TRUE(IsWindowVisible(window));
    }
    DestroyWindow(window);
}

} // namespace
