// The full- and half-hour chime, checked at the start of each wall-clock minute. It
// sleeps from one minute to the next (one wake-up a minute on a punctual alarm); a clock that jumps
// meanwhile (set by hand or by time sync, or a machine waking from sleep while the sleep timer
// stood still) is reported by the platform through OnClockChanged().
#pragma once
#include <cstdint>
#include <optional>
#include <set>

#include "announcer/request.h"
#include "timing/clock.h"
#include "timing/donotdisturb.h"

namespace lumivox {

// Hours during which no chime is spoken: from <= time < to, wrapping past midnight;
// from == to is never quiet.
struct QuietHours {
    int from = 22;
    int to = 7;
    bool Contains(int hour) const;
};

// The chime boxes.
class ChimeView {
public:
    virtual ~ChimeView() = default;
    virtual bool HourChecked() const = 0;
    virtual bool HalfChecked() const = 0;
    // Quarter past and quarter to as well.
    virtual bool QuarterChecked() const { return false; }
    // The quiet night, when it is on.
    virtual std::optional<QuietHours> Quiet() const { return std::nullopt; }
    // Silent while the desktop asks not to be disturbed.
    virtual bool FollowDndChecked() const { return false; }
};

class Chime {
public:
    static constexpr std::int64_t kMinuteMs = 60000;
    // A due time found later than this into its minute is stale and not spoken.
    static constexpr std::int64_t kLateLimitMs = 5000;
    // A long sleep on an alarm that is not punctual ends late by a share of its
    // length (Linux lets a one-minute poll run about 60 ms over), so the minute is
    // reached in two steps: a long sleep to this much before it, then a short one.
    static constexpr std::int64_t kFinalApproachMs = 1000;

    // desktop: asked only when a chime is due and the view follows it; null: never asked.
    Chime(ChimeView& view, RequestPoster& poster, const WallClock& clock, Alarm& alarm,
          DoNotDisturb* desktop = nullptr);

    // The boxes changed (or the window was created): runs while any is checked.
    // Switching on does not check the current minute; the first check is at the next one.
    void Update();
    void OnTimer();
    // The wall clock was set or the system resumed: look at the clock again now.
    void OnClockChanged();

    bool Enabled() const { return enabled_; }

private:
    void Check(std::int64_t minute, std::int64_t msIntoMinute);
    void ArmForNextLook(std::int64_t now);

    ChimeView& view_;
    RequestPoster& poster_;
    const WallClock& clock_;
    Alarm& alarm_;
    DoNotDisturb* desktop_;
    bool enabled_ = false;
    std::int64_t lastChecked_ = 0;  // minute number (local minutes since 1970)
    std::set<std::int64_t> spoken_; // minute numbers already announced
};

} // namespace lumivox
