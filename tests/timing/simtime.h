// Simulated time for the timing tests: one clock that is both the monotonic and the
// wall clock (the wall clock can be set apart from it), and an alarm that is fired by
// advancing the clock; and the desktop's do-not-disturb answer the chime asks for.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "announcer/request.h"
#include "timing/clock.h"
#include "timing/donotdisturb.h"

namespace lumivox::testing {

class SimClock : public MonotonicClock, public WallClock {
public:
    std::int64_t NowMs() const override { return now; }
    std::int64_t LocalMs() const override { return now + wallOffset; }

    std::int64_t now = 1'000'000;
    std::int64_t wallOffset = 0; // wall minus monotonic
};

class SimAlarm : public Alarm {
public:
    explicit SimAlarm(const SimClock& clock) : clock_(clock) {}
    void ArmIn(std::int64_t delayMs) override { due = clock_.now + delayMs; }
    void Disarm() override { due.reset(); }
    bool Punctual() const override { return punctual; }

    std::optional<std::int64_t> due; // monotonic time of the pending call
    bool punctual = false;

private:
    const SimClock& clock_;
};

// Fires the alarm, late by lateness() each time, until it is disarmed or the next
// firing would come after `until`.
inline void RunUntil(
    SimClock& clock, SimAlarm& alarm, std::int64_t until, const std::function<void()>& onTimer,
    const std::function<std::int64_t()>& lateness = [] { return 0; }) {
    while (alarm.due) {
        const std::int64_t at = *alarm.due + lateness();
        if (at > until)
            break;
        clock.now = std::max(clock.now, at);
        alarm.due.reset();
        onTimer();
    }
    clock.now = std::max(clock.now, until);
}

struct Posted {
    std::int32_t kind;
    std::int32_t value;
    std::int64_t at; // monotonic time of the post
    bool operator==(const Posted& other) const {
        return kind == other.kind && value == other.value;
    }
};

class RecordingPoster : public RequestPoster {
public:
    explicit RecordingPoster(const SimClock& clock) : clock_(clock) {}
    void Post(std::int32_t kind, std::int32_t value) override {
        all.push_back({kind, value, clock_.now});
    }
    // What makes a sound: a count below 1 is silent.
    std::vector<Posted> Audible() const {
        std::vector<Posted> out;
        for (const Posted& p : all) {
            const bool silentCount =
                (p.kind == RequestKind::SecondCount || p.kind == RequestKind::MinuteCount) &&
                p.value < 1;
            if (!silentCount)
                out.push_back(p);
        }
        return out;
    }

    std::vector<Posted> all;

private:
    const SimClock& clock_;
};

// The desktop's do-not-disturb answer as the test sets it, and how often it was asked.
class FakeDoNotDisturb : public DoNotDisturb {
public:
    bool Now() override {
        ++asked;
        return doNotDisturb;
    }
    bool doNotDisturb = false;
    int asked = 0;
};

} // namespace lumivox::testing
