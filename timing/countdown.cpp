#include "timing/countdown.h"

#include <algorithm>

#include "framework/strtoint.h"

namespace lumivox {

namespace {

// The cue at the last second: 1-based clip 22, the sound that also closes a minute count.
constexpr std::int32_t kLastSecondCue = 22;

// 32-bit wrap-around, as the fields are plain 32-bit integers.
int Wrap(std::int64_t value) {
    return static_cast<int>(value);
}

} // namespace

std::string RemainingTimeText(int hours, int minutes, int seconds) {
    return std::to_string(hours) + ":" + std::to_string(minutes) + ":" + std::to_string(seconds);
}

Countdown::Countdown(CountdownView& view, RequestPoster& poster, const MonotonicClock& clock,
                     Alarm& ticker)
    : view_(view), poster_(poster), clock_(clock), ticker_(ticker) {}

bool Countdown::ReadOptions(bool withDuration) {
    if (!view_.IsChecked(CountdownCheck::Minute) && !view_.IsChecked(CountdownCheck::Second) &&
        !view_.IsChecked(CountdownCheck::LastOne)) {
        view_.ShowNoCondition();
        return false;
    }

    CountdownState& s = State;
    if (withDuration) {
        s.CountHour = StrToInt(view_.BoxText(CountdownBox::Hour));
        s.CountMinute = StrToInt(view_.BoxText(CountdownBox::Minute));
        s.CountSecond = StrToInt(view_.BoxText(CountdownBox::Second));
    }
    s.LastMinute = StrToInt(view_.BoxText(CountdownBox::LastMinute));
    s.PerMinute = StrToInt(view_.BoxText(CountdownBox::PerMinute));
    s.LastSecond = StrToInt(view_.BoxText(CountdownBox::LastSecond));
    s.PerSecond = StrToInt(view_.BoxText(CountdownBox::PerSecond));

    if (s.PerMinute <= 0)
        s.PerMinute = 1;
    if (s.PerSecond <= 0)
        s.PerSecond = 1;
    s.MinutePhase = s.LastMinute % s.PerMinute;
    s.SecondPhase = s.LastSecond % s.PerSecond;
    return true;
}

void Countdown::Start() {
    if (!ReadOptions(true))
        return;
    CountdownState& s = State;
    s.TotalSeconds =
        Wrap((static_cast<std::int64_t>(s.CountHour) * 60 + s.CountMinute) * 60 + s.CountSecond);
    wall_ = nullptr;
    view_.ShowRemaining(RemainingTimeText(s.CountHour, s.CountMinute, s.CountSecond));
    Begin(clock_.NowMs());
}

void Countdown::StartUntil(const WallClock& wall, std::int64_t targetLocalMs) {
    if (!ReadOptions(false))
        return;
    wall_ = &wall;
    targetMs_ = targetLocalMs;
    AimAtTarget();
}

std::optional<std::int64_t> Countdown::Target() const {
    if (ticking_ && wall_)
        return targetMs_;
    return std::nullopt;
}

// Tick k of a run is due at startMs + k seconds and speaks for TotalSeconds - k + 1
// left; the run ends at tick TotalSeconds + 1. Put that end on the target.
void Countdown::AimAtTarget() {
    const std::int64_t now = clock_.NowMs();
    wallAhead_ = wall_->LocalMs() - now;
    const std::int64_t left = targetMs_ - (now + wallAhead_);
    if (left <= 0) {
        State.RemainSeconds = 0;
        view_.ShowRemaining(RemainingTimeText(0, 0, 0));
        State.Running = false;
        EndTicking();
        view_.ShowCounting(false);
        return;
    }
    const std::int64_t seconds = (left + kTickMs - 1) / kTickMs - 1;
    const int total = Wrap(seconds);
    State.TotalSeconds = total;
    view_.ShowRemaining(RemainingTimeText(total / 3600, (total / 60) % 60, total % 60));
    Begin(now + left - (seconds + 1) * kTickMs);
}

// The run's first tick is due a second after startMs.
void Countdown::Begin(std::int64_t startMs) {
    State.Running = true;
    State.RemainSeconds = State.TotalSeconds;

    ticking_ = true;
    startMs_ = startMs;
    ticksDone_ = 0;
    ArmNextTick(clock_.NowMs());
    view_.ShowCounting(true);
}

void Countdown::Stop() {
    State.Running = false;
    EndTicking();
    view_.ShowCounting(false);
}

void Countdown::OnTimer() {
    if (!ticking_)
        return;
    // The wall clock was set, or the machine slept while the monotonic clock stood
    // still: aim again from the wall clock. Time sync's slewing stays far below this.
    constexpr std::int64_t kClockJumpMs = 20;
    if (wall_) {
        const std::int64_t jump = wall_->LocalMs() - clock_.NowMs() - wallAhead_;
        if (jump > kClockJumpMs || jump < -kClockJumpMs) {
            AimAtTarget();
            return;
        }
    }
    const std::int64_t now = clock_.NowMs();
    const std::int64_t due = (now - startMs_) / kTickMs - ticksDone_;
    // Overdue ticks are applied silently and only the newest speaks, except the cue:
    // it is still sounded when its tick is overdue by no more than one second.
    for (std::int64_t i = 1; i <= due && ticking_; ++i) {
        ++ticksDone_;
        Tick(i == due ? Speech::All : i == due - 1 ? Speech::CueOnly : Speech::None);
    }
    if (ticking_)
        ArmNextTick(now);
}

void Countdown::Tick(Speech speech) {
    CountdownState& s = State;
    int r = s.RemainSeconds;

    if (r <= 0) {
        if (view_.IsChecked(CountdownCheck::Circle) && !wall_) {
            r = s.TotalSeconds;
        } else {
            EndTicking();
            view_.ShowCounting(false);
        }
    }

    if (speech == Speech::CueOnly && view_.IsChecked(CountdownCheck::LastOne) && r == 1)
        poster_.Post(RequestKind::Cue, kLastSecondCue);
    if (speech == Speech::All) {
        if (view_.IsChecked(CountdownCheck::LastOne) && r == 1) {
            poster_.Post(RequestKind::Cue, kLastSecondCue);
        } else if (view_.IsChecked(CountdownCheck::Second) && s.LastSecond >= r &&
                   r % s.PerSecond == s.SecondPhase) {
            poster_.Post(RequestKind::SecondCount, r);
        }
        const int m = r / 60;
        if (view_.IsChecked(CountdownCheck::Minute) && s.LastMinute >= m &&
            m % s.PerMinute == s.MinutePhase && r % 60 == 0) {
            poster_.Post(RequestKind::MinuteCount, m);
        }
    }

    r = Wrap(static_cast<std::int64_t>(r) - 1);
    s.RemainSeconds = r;
    if (r < 0)
        return;
    view_.ShowRemaining(RemainingTimeText(r / 3600, (r / 60) % 60, r % 60));
}

void Countdown::ArmNextTick(std::int64_t now) {
    const std::int64_t next = startMs_ + (ticksDone_ + 1) * kTickMs;
    ticker_.ArmIn(std::max<std::int64_t>(0, next - now));
}

void Countdown::EndTicking() {
    ticking_ = false;
    ticker_.Disarm();
}

} // namespace lumivox
