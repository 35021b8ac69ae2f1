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

void Countdown::Start() {
    if (!view_.IsChecked(CountdownCheck::Minute) && !view_.IsChecked(CountdownCheck::Second) &&
        !view_.IsChecked(CountdownCheck::LastOne)) {
        view_.ShowNoCondition();
        return;
    }

    CountdownState& s = State;
    s.CountHour = StrToInt(view_.BoxText(CountdownBox::Hour));
    s.CountMinute = StrToInt(view_.BoxText(CountdownBox::Minute));
    s.CountSecond = StrToInt(view_.BoxText(CountdownBox::Second));
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
    s.TotalSeconds =
        Wrap((static_cast<std::int64_t>(s.CountHour) * 60 + s.CountMinute) * 60 + s.CountSecond);
    view_.ShowRemaining(RemainingTimeText(s.CountHour, s.CountMinute, s.CountSecond));
    s.Running = true;
    s.RemainSeconds = s.TotalSeconds;

    ticking_ = true;
    startMs_ = clock_.NowMs();
    ticksDone_ = 0;
    ArmNextTick(startMs_);
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
        if (view_.IsChecked(CountdownCheck::Circle)) {
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
