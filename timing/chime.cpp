#include "timing/chime.h"

#include <algorithm>

namespace lumivox {

namespace {

constexpr std::int64_t kMinutesPerDay = 24 * 60;
// Announced minutes are remembered this long, which covers any clock set back by a day.
constexpr std::int64_t kMemoryMinutes = 2 * kMinutesPerDay;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

} // namespace

bool QuietHours::Contains(int hour) const {
    if (from <= to)
        return from <= hour && hour < to;
    return hour >= from || hour < to;
}

Chime::Chime(ChimeView& view, RequestPoster& poster, const WallClock& clock, Alarm& alarm,
             DoNotDisturb* desktop)
    : view_(view), poster_(poster), clock_(clock), alarm_(alarm), desktop_(desktop) {}

void Chime::Update() {
    const bool on = view_.HourChecked() || view_.HalfChecked() || view_.QuarterChecked();
    if (on == enabled_)
        return;
    enabled_ = on;
    if (!on) {
        alarm_.Disarm();
        return;
    }
    const std::int64_t now = clock_.LocalMs();
    lastChecked_ = FloorDiv(now, kMinuteMs);
    ArmForNextLook(now);
}

void Chime::OnTimer() {
    if (!enabled_)
        return;
    const std::int64_t now = clock_.LocalMs();
    const std::int64_t minute = FloorDiv(now, kMinuteMs);
    // Any other minute than the last one checked (forward as usual, or back after the
    // clock was set back) gets its check; the same minute again is just an early wake.
    if (minute != lastChecked_) {
        lastChecked_ = minute;
        Check(minute, now - minute * kMinuteMs);
    }
    ArmForNextLook(now);
}

void Chime::OnClockChanged() {
    OnTimer();
}

void Chime::Check(std::int64_t minute, std::int64_t msIntoMinute) {
    const std::int64_t ofDay = minute - FloorDiv(minute, kMinutesPerDay) * kMinutesPerDay;
    const int hour = static_cast<int>(ofDay / 60);
    const int min = static_cast<int>(ofDay % 60);
    const bool due = (view_.HourChecked() && min == 0) || (view_.HalfChecked() && min == 30) ||
                     (view_.QuarterChecked() && (min == 15 || min == 45));
    if (!due || msIntoMinute > kLateLimitMs || spoken_.count(minute) != 0)
        return;
    const std::optional<QuietHours> quiet = view_.Quiet();
    if (quiet && quiet->Contains(hour))
        return;
    // Asked last: the desktop may take a moment to answer.
    if (desktop_ && view_.FollowDndChecked() && desktop_->Now())
        return;
    spoken_.erase(spoken_.begin(), spoken_.lower_bound(minute - kMemoryMinutes));
    spoken_.insert(minute);
    poster_.Post(RequestKind::SpeakTime, hour * 1000 + min);
}

void Chime::ArmForNextLook(std::int64_t now) {
    const std::int64_t nextMinute = (FloorDiv(now, kMinuteMs) + 1) * kMinuteMs;
    const std::int64_t left = nextMinute - now;
    const bool approach = !alarm_.Punctual() && left > kFinalApproachMs;
    alarm_.ArmIn(approach ? left - kFinalApproachMs : std::max<std::int64_t>(left, 1));
}

} // namespace lumivox
