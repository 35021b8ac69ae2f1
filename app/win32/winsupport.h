// Windows pieces the window is built on: UTF-16 text, the clips carried as resources,
// the local wall clock, precise one-shot alarms that come back as window messages, and
// the shell's word on whether the user may be disturbed.
#pragma once
#include <windows.h>

#include <shellapi.h>

#include <atomic>
#include <string>

#include "announcer/clipbank.h"
#include "timing/clock.h"
#include "timing/donotdisturb.h"

namespace lumivox::win {

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);

// Resources of the executable: clip "wav8" of type "WAV" is resource WAV8 of type WAV.
class ResourceClipSource : public ClipSource {
public:
    ClipHandle FindClip(const std::string& type, const std::string& name) const override;
};

class LocalWallClock : public WallClock {
public:
    std::int64_t LocalMs() const override;
};

// A timer-queue timer (millisecond precision, unlike SetTimer's 10-16 ms) whose
// expiry is posted to the window as `message`; a message from an alarm since
// replaced or disarmed is recognised by IsCurrent and dropped.
class MessageAlarm : public Alarm {
public:
    MessageAlarm(HWND window, UINT message) : window_(window), message_(message) {}
    ~MessageAlarm() override;
    MessageAlarm(const MessageAlarm&) = delete;
    MessageAlarm& operator=(const MessageAlarm&) = delete;

    void ArmIn(std::int64_t delayMs) override;
    void Disarm() override;
    bool IsCurrent(WPARAM generation) const { return generation == generation_.load(); }

private:
    static void CALLBACK Fire(PVOID self, BOOLEAN);
    HWND window_;
    UINT message_;
    HANDLE timer_ = nullptr;
    std::atomic<WPARAM> generation_{0};
};

// A full-screen program or game, a presentation, or the quiet time after a new user's
// first sign-in mean "do not disturb"; anything else, a failure too, does not.
bool ShellSaysDoNotDisturb(QUERY_USER_NOTIFICATION_STATE state);

class ShellDoNotDisturb : public DoNotDisturb {
public:
    using Query = HRESULT(WINAPI*)(QUERY_USER_NOTIFICATION_STATE*);
    explicit ShellDoNotDisturb(Query query = SHQueryUserNotificationState) : query_(query) {}
    bool Now() override;

private:
    Query query_;
};

} // namespace lumivox::win
