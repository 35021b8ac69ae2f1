#include "app/win32/winsupport.h"

#include <algorithm>
#include <limits>

namespace lumivox::win {

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty())
        return {};
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

std::string Utf8(const std::wstring& wide) {
    if (wide.empty())
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n,
                        nullptr, nullptr);
    return utf8;
}

ClipHandle ResourceClipSource::FindClip(const std::string& type, const std::string& name) const {
    // Resource names are matched without regard to case by the system.
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, Wide(name).c_str(), Wide(type).c_str());
    if (!found)
        return {};
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return {};
    return ClipHandle{static_cast<const std::uint8_t*>(data), SizeofResource(module, found)};
}

std::int64_t LocalWallClock::LocalMs() const {
    FILETIME utc;
    FILETIME local;
    GetSystemTimeAsFileTime(&utc);
    FileTimeToLocalFileTime(&utc, &local);
    ULARGE_INTEGER ticks;
    ticks.LowPart = local.dwLowDateTime;
    ticks.HighPart = local.dwHighDateTime;
    constexpr std::uint64_t kEpochTicks = 116444736000000000ULL; // 1601 to 1970, 100 ns
    return static_cast<std::int64_t>((ticks.QuadPart - kEpochTicks) / 10000);
}

MessageAlarm::~MessageAlarm() {
    Disarm();
}

void CALLBACK MessageAlarm::Fire(PVOID self, BOOLEAN) {
    auto* alarm = static_cast<MessageAlarm*>(self);
    PostMessageW(alarm->window_, alarm->message_, alarm->generation_.load(), 0);
}

void MessageAlarm::ArmIn(std::int64_t delayMs) {
    Disarm();
    const auto ms = static_cast<DWORD>(
        std::clamp<std::int64_t>(delayMs, 0, std::numeric_limits<std::int32_t>::max()));
    CreateTimerQueueTimer(&timer_, nullptr, &MessageAlarm::Fire, this, ms, 0,
                          WT_EXECUTEONLYONCE | WT_EXECUTEINTIMERTHREAD);
}

void MessageAlarm::Disarm() {
    if (timer_) {
        // Waits for a callback in progress, so none runs once this returns.
        DeleteTimerQueueTimer(nullptr, timer_, INVALID_HANDLE_VALUE);
        timer_ = nullptr;
    }
    ++generation_;
}

bool ShellSaysDoNotDisturb(QUERY_USER_NOTIFICATION_STATE state) {
    switch (state) {
    case QUNS_BUSY:
    case QUNS_RUNNING_D3D_FULL_SCREEN:
    case QUNS_PRESENTATION_MODE:
    case QUNS_QUIET_TIME:
        return true;
    default:
        return false;
    }
}

bool ShellDoNotDisturb::Now() {
    QUERY_USER_NOTIFICATION_STATE state = QUNS_ACCEPTS_NOTIFICATIONS;
    return SUCCEEDED(query_(&state)) && ShellSaysDoNotDisturb(state);
}

} // namespace lumivox::win
