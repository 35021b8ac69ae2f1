// The countdown: start, stop and the one-second tick, independent of any widget kit.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "announcer/request.h"
#include "timing/clock.h"

namespace lumivox {

// The seven number boxes, in the order a start reads them.
enum class CountdownBox { Hour, Minute, Second, LastMinute, PerMinute, LastSecond, PerSecond };
// The four check boxes a tick reads.
enum class CountdownCheck { Minute, Second, LastOne, Circle };

// What the countdown reads from and shows on the window.
class CountdownView {
public:
    virtual ~CountdownView() = default;
    virtual std::string BoxText(CountdownBox box) const = 0;
    virtual bool IsChecked(CountdownCheck check) const = 0;
    virtual void ShowRemaining(const std::string& text) = 0;
    // Counting: start disabled, stop enabled; idle: the reverse.
    virtual void ShowCounting(bool counting) = 0;
    // "Choose a counting condition first" box.
    virtual void ShowNoCondition() = 0;
};

// The window's countdown fields.
struct CountdownState {
    int TotalSeconds = 0;
    int RemainSeconds = 0; // -1 once a run has ended
    int CountHour = 0;
    int CountMinute = 0;
    int CountSecond = 0;
    int LastMinute = 0;
    int PerMinute = 0;
    int LastSecond = 0;
    int PerSecond = 0;
    int MinutePhase = 0;
    int SecondPhase = 0;
    bool Running = false; // from a start until Stop
};

// "h:m:s" without leading zeros: 0:10:29, 1:0:5.
std::string RemainingTimeText(int hours, int minutes, int seconds);

class Countdown {
public:
    static constexpr std::int64_t kTickMs = 1000;

    Countdown(CountdownView& view, RequestPoster& poster, const MonotonicClock& clock,
              Alarm& ticker);

    // Throws EConvertError for a box that is not an integer; the fields read before
    // it keep their new values and nothing else changes.
    void Start();
    // Counts down to a moment of the wall clock (local milliseconds since 1970) with the
    // same speech options, its seconds on the wall clock's seconds: the count for n
    // seconds left is due n seconds before the target and the run ends on it. A clock
    // set or a resume meanwhile re-aims it at the same moment; one set past it ends the
    // run. It never repeats. The hour, minute and second boxes are not read.
    void StartUntil(const WallClock& wall, std::int64_t targetLocalMs);
    // The moment a run started with StartUntil counts down to.
    std::optional<std::int64_t> Target() const;
    void Stop();
    // Called when the ticker fires. Applies every tick that is due by now: tick k of
    // a run started at t0 is due at t0 + k seconds. Only the newest tick speaks, so a
    // late timer never makes the announcer say a count that has already passed.
    void OnTimer();

    bool Ticking() const { return ticking_; }
    CountdownState State;

private:
    enum class Speech { None, CueOnly, All };
    bool ReadOptions(bool withDuration);
    void Begin(std::int64_t startMs);
    void AimAtTarget();
    void Tick(Speech speech);
    void ArmNextTick(std::int64_t now);
    void EndTicking();

    CountdownView& view_;
    RequestPoster& poster_;
    const MonotonicClock& clock_;
    Alarm& ticker_;
    bool ticking_ = false;
    std::int64_t startMs_ = 0;
    std::int64_t ticksDone_ = 0;
    const WallClock* wall_ = nullptr; // while counting down to a moment
    std::int64_t targetMs_ = 0;
    std::int64_t wallAhead_ = 0; // wall minus monotonic when last aimed
};

} // namespace lumivox
