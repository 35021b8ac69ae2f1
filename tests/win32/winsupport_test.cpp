// The Windows pieces under the window: alarms that come back as window messages, where
// the settings file lives, and the shell's answer on disturbing the user.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "app/win32/winsupport.h"
#include "settings/platform/settingslocation.h"

namespace {

constexpr UINT kAlarmMessage = WM_APP + 7;

// A message-only window that notes the alarms that reach it and are still current.
class AlarmWindow {
public:
    AlarmWindow() {
        hwnd_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        alarm_ = std::make_unique<lumivox::win::MessageAlarm>(hwnd_, kAlarmMessage);
    }
    ~AlarmWindow() {
        alarm_.reset();
        DestroyWindow(hwnd_);
    }
    lumivox::win::MessageAlarm& alarm() { return *alarm_; }

    // Current alarms seen within `ms` of pumping messages.
    int Pump(int ms) {
        int seen = 0;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            MSG msg;
            while (PeekMessageW(&msg, hwnd_, 0, 0, PM_REMOVE))
                if (msg.message == kAlarmMessage && alarm_->IsCurrent(msg.wParam))
                    ++seen;
            Sleep(5);
        }
        return seen;
    }

private:
    HWND hwnd_ = nullptr;
    std::unique_ptr<lumivox::win::MessageAlarm> alarm_;
};

TEST(MessageAlarm, FiresOnceAndArmingAgainReplacesThePendingCall) {
    AlarmWindow window;
    window.alarm().ArmIn(20);
    EXPECT_EQ(window.Pump(1000), 1);

    window.alarm().ArmIn(10);
    window.alarm().ArmIn(30);
    EXPECT_EQ(window.Pump(1000), 1);

    // Fired but not yet taken when disarmed: dropped.
    window.alarm().ArmIn(0);
    Sleep(100);
    window.alarm().Disarm();
    EXPECT_EQ(window.Pump(300), 0);
}

TEST(SettingsLocation, PerUserFolderUnlessAPortableFileIsBesideTheProgram) {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring beside(exe);
    beside = beside.substr(0, beside.find_last_of(L"\\/") + 1) + L"lvvoxclk.db";
    DeleteFileW(beside.c_str());

    const std::string appData = std::getenv("APPDATA") ? std::getenv("APPDATA") : "";
    EXPECT_FALSE(lumivox::IsPortableSettings({}));
    EXPECT_EQ(lumivox::SettingsFilePath({}), appData + "\\Lumivox\\lumivox\\lvvoxclk.db");

    { std::ofstream(beside.c_str()) << "[Common]\r\n"; }
    EXPECT_TRUE(lumivox::IsPortableSettings({}));
    EXPECT_EQ(lumivox::win::Wide(lumivox::SettingsFilePath({})), beside);
    DeleteFileW(beside.c_str());
}

// The shell's answer as the test sets it: Wine's own always accepts notifications.
QUERY_USER_NOTIFICATION_STATE shellState = QUNS_ACCEPTS_NOTIFICATIONS;
HRESULT shellResult = S_OK;
HRESULT WINAPI FakeQuery(QUERY_USER_NOTIFICATION_STATE* state) {
    *state = shellState;
    return shellResult;
}

TEST(ShellDoNotDisturb, BusyFullScreenPresentationAndQuietTimeHoldTheChime) {
    const struct {
        QUERY_USER_NOTIFICATION_STATE state;
        HRESULT result;
        bool doNotDisturb;
    } rows[] = {
        {QUNS_NOT_PRESENT, S_OK, false},
        {QUNS_BUSY, S_OK, true},
        {QUNS_RUNNING_D3D_FULL_SCREEN, S_OK, true},
        {QUNS_PRESENTATION_MODE, S_OK, true},
        {QUNS_ACCEPTS_NOTIFICATIONS, S_OK, false},
        {QUNS_QUIET_TIME, S_OK, true},
        {QUNS_APP, S_OK, false},
        {QUNS_BUSY, E_FAIL, false}, // no answer: the chime is spoken
    };
    lumivox::win::ShellDoNotDisturb desktop(FakeQuery);
    for (const auto& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.state));
        shellState = row.state;
        shellResult = row.result;
        EXPECT_EQ(desktop.Now(), row.doNotDisturb);
    }
}

} // namespace
