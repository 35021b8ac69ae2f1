// Time sources and the one-shot alarm the countdown and the chime are driven by.
// The program uses the system's clocks and Qt timers; tests use simulated ones.
#pragma once
#include <cstdint>

namespace lumivox {

// Milliseconds that only ever go forward at real speed (no clock changes).
class MonotonicClock {
public:
    virtual ~MonotonicClock() = default;
    virtual std::int64_t NowMs() const = 0;
};

// Local time of day: milliseconds since 1970-01-01 00:00 in the local time zone,
// so whole days and minutes fall on multiples of 86400000 and 60000. It jumps when
// the system clock is set or the zone offset changes.
class WallClock {
public:
    virtual ~WallClock() = default;
    virtual std::int64_t LocalMs() const = 0;
};

// A timer that calls its owner back once, delayMs from now (measured on the
// monotonic clock, or on the wall clock for a punctual one). Arming again replaces
// the pending call.
class Alarm {
public:
    virtual ~Alarm() = default;
    virtual void ArmIn(std::int64_t delayMs) = 0;
    virtual void Disarm() = 0;
    // True when a sleep of any length ends on time (an absolute wall-clock timer);
    // otherwise a long one may end late by a share of its length.
    virtual bool Punctual() const { return false; }
};

// The system's steady clock.
class SteadyClock : public MonotonicClock {
public:
    std::int64_t NowMs() const override;
};

} // namespace lumivox
