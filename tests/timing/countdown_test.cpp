#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "framework/strtoint.h"
#include "simtime.h"
#include "timing/countdown.h"

namespace {

using lumivox::Countdown;
using lumivox::CountdownBox;
using lumivox::CountdownCheck;
using lumivox::RequestKind::Cue;
using lumivox::RequestKind::MinuteCount;
using lumivox::RequestKind::SecondCount;
using namespace lumivox::testing; // the simulated clock, alarm and poster

class FakeView : public lumivox::CountdownView {
public:
    std::string BoxText(CountdownBox box) const override { return texts.at(box); }
    bool IsChecked(CountdownCheck check) const override { return checks.at(check); }
    void ShowRemaining(const std::string& text) override { label = text; }
    void ShowCounting(bool isCounting) override { counting = isCounting; }
    void ShowNoCondition() override { ++noConditionBoxes; }

    // The window's defaults.
    std::map<CountdownBox, std::string> texts{
        {CountdownBox::Hour, "0"},      {CountdownBox::Minute, "10"},
        {CountdownBox::Second, "30"},   {CountdownBox::LastMinute, "10"},
        {CountdownBox::PerMinute, "1"}, {CountdownBox::LastSecond, "30"},
        {CountdownBox::PerSecond, "1"},
    };
    std::map<CountdownCheck, bool> checks{{CountdownCheck::Minute, false},
                                          {CountdownCheck::Second, false},
                                          {CountdownCheck::LastOne, false},
                                          {CountdownCheck::Circle, false}};
    std::string label = "00:10:30";
    bool counting = false;
    int noConditionBoxes = 0;
};

struct Rig {
    SimClock clock;
    SimAlarm ticker{clock};
    RecordingPoster poster{clock};
    FakeView view;
    Countdown countdown{view, poster, clock, ticker};
    std::int64_t t0 = 0;

    void Duration(const std::string& h, const std::string& m, const std::string& s) {
        view.texts[CountdownBox::Hour] = h;
        view.texts[CountdownBox::Minute] = m;
        view.texts[CountdownBox::Second] = s;
    }
    void Start() {
        t0 = clock.now;
        countdown.Start();
    }
    // The usual opening: the second count checked, then started for h:m:s.
    void StartSeconds(const std::string& h, const std::string& m, const std::string& s) {
        view.checks[CountdownCheck::Second] = true;
        Duration(h, m, s);
        Start();
    }
    // Runs the timer on time until tick n (inclusive) has been applied.
    void RunTicks(std::int64_t n) {
        RunUntil(clock, ticker, t0 + n * 1000, [this] { countdown.OnTimer(); });
    }
    // Tick number of each audible post.
    std::vector<std::pair<std::int64_t, Posted>> AudibleByTick() const {
        std::vector<std::pair<std::int64_t, Posted>> out;
        for (const Posted& p : poster.Audible())
            out.push_back({(p.at - t0) / 1000, p});
        return out;
    }
};

// --- Spoken counts: one table, one shape -------------------------------------------

struct CountCase {
    const char* name;
    const char* h;
    const char* m;
    const char* s;
    const char* lastMin;
    const char* perMin;
    const char* lastSec;
    const char* perSec;
    bool chkMin, chkSec, chkLastOne;
    std::int64_t ticks;
    std::vector<std::pair<std::int64_t, Posted>> spoken; // tick, request
};

std::vector<std::pair<std::int64_t, Posted>> SecondCountsDown(int from, int to, int step,
                                                              int total) {
    std::vector<std::pair<std::int64_t, Posted>> out;
    for (int v = from; v >= to; v -= step)
        out.push_back({total - v + 1, Posted{SecondCount, v, 0}});
    return out;
}

std::vector<std::pair<std::int64_t, Posted>> LastMinuteCase() {
    auto out = SecondCountsDown(30, 2, 1, 60);
    out.push_back({60, Posted{Cue, 22, 0}});
    return out;
}

std::vector<std::pair<std::int64_t, Posted>> MinuteCounts(std::vector<int> values, int total) {
    std::vector<std::pair<std::int64_t, Posted>> out;
    for (int v : values)
        out.push_back({total - v * 60 + 1, Posted{MinuteCount, v, 0}});
    return out;
}

class SpokenCountsTest : public ::testing::TestWithParam<CountCase> {};

TEST_P(SpokenCountsTest, SpeaksExactlyTheseCountsOnTheseTicks) {
    const CountCase& c = GetParam();
    Rig rig;
    rig.Duration(c.h, c.m, c.s);
    rig.view.texts[CountdownBox::LastMinute] = c.lastMin;
    rig.view.texts[CountdownBox::PerMinute] = c.perMin;
    rig.view.texts[CountdownBox::LastSecond] = c.lastSec;
    rig.view.texts[CountdownBox::PerSecond] = c.perSec;
    rig.view.checks[CountdownCheck::Minute] = c.chkMin;
    rig.view.checks[CountdownCheck::Second] = c.chkSec;
    rig.view.checks[CountdownCheck::LastOne] = c.chkLastOne;
    rig.Start();
    rig.RunTicks(c.ticks);

    const auto got = rig.AudibleByTick();
    ASSERT_EQ(got.size(), c.spoken.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].first, c.spoken[i].first) << "request " << i;
        EXPECT_EQ(got[i].second.kind, c.spoken[i].second.kind) << "request " << i;
        EXPECT_EQ(got[i].second.value, c.spoken[i].second.value) << "request " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, SpokenCountsTest,
    ::testing::Values(
        CountCase{"ZeroDuration", "0", "0", "0", "10", "1", "30", "1", false, true, false, 5, {}},
        CountCase{"LastMinuteWithCue", "0", "1", "0", "10", "1", "30", "1", false, true, true, 61,
                  LastMinuteCase()},
        CountCase{"MinutesOnWholeMinutes", "0", "10", "30", "10", "1", "30", "1", true, false,
                  false, 631, MinuteCounts({10, 9, 8, 7, 6, 5, 4, 3, 2, 1}, 630)},
        CountCase{"MinutesEveryThree", "0", "12", "0", "10", "3", "30", "1", true, false, false,
                  721, MinuteCounts({10, 7, 4, 1}, 720)},
        CountCase{"SecondsEveryThree", "0", "0", "20", "10", "1", "10", "3", false, true, false, 21,
                  SecondCountsDown(10, 1, 3, 20)},
        CountCase{"NothingAboveLastSecond", "0", "0", "40", "10", "1", "5", "2", false, true, false,
                  41, SecondCountsDown(5, 1, 2, 40)},
        CountCase{"StepZeroMeansOne", "0", "0", "8", "10", "0", "4", "0", false, true, false, 9,
                  SecondCountsDown(4, 1, 1, 8)},
        CountCase{"NegativeStepMeansOne", "0", "0", "8", "10", "-3", "4", "-3", false, true, false,
                  9, SecondCountsDown(4, 1, 1, 8)},
        CountCase{"CueWithoutSecondCounts",
                  "0",
                  "0",
                  "5",
                  "10",
                  "1",
                  "30",
                  "1",
                  false,
                  false,
                  true,
                  6,
                  {{5, Posted{Cue, 22, 0}}}},
        CountCase{"HexAndBlanksInBoxes", "0", "0", "$10", "10", "1", " 3", "+1", false, true, false,
                  17, SecondCountsDown(3, 1, 1, 16)}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Labels, buttons and states -----------------------------------------------------

TEST(CountdownTest, LabelHasNoLeadingZerosAndShowsTheValueAfterTheTick) {
    Rig rig;
    rig.StartSeconds("1", "0", "5");
    EXPECT_EQ(rig.view.label, "1:0:5");
    rig.RunTicks(1);
    EXPECT_EQ(rig.view.label, "1:0:4");
    rig.RunTicks(6);
    EXPECT_EQ(rig.view.label, "0:59:59");
    rig.RunTicks(3605);
    EXPECT_EQ(rig.view.label, "0:0:0");
    EXPECT_TRUE(rig.view.counting);
}

TEST(CountdownTest, EndOfRunReturnsToIdleOnTheTickAfterZero) {
    Rig rig;
    rig.StartSeconds("0", "0", "3");
    EXPECT_TRUE(rig.view.counting);
    EXPECT_TRUE(rig.countdown.State.Running);
    rig.RunTicks(3);
    EXPECT_EQ(rig.view.label, "0:0:0");
    EXPECT_TRUE(rig.view.counting);
    rig.RunTicks(4);
    EXPECT_FALSE(rig.view.counting);
    EXPECT_FALSE(rig.ticker.due);
    EXPECT_EQ(rig.view.label, "0:0:0");
    EXPECT_EQ(rig.countdown.State.RemainSeconds, -1);
    rig.RunTicks(20);
    EXPECT_EQ(rig.countdown.State.RemainSeconds, -1);
}

TEST(CountdownTest, ZeroDurationEndsAtOnceWithoutTouchingTheLabel) {
    Rig rig;
    rig.StartSeconds("0", "0", "0");
    EXPECT_EQ(rig.view.label, "0:0:0");
    rig.view.label = "untouched";
    rig.RunTicks(1);
    EXPECT_FALSE(rig.view.counting);
    EXPECT_EQ(rig.view.label, "untouched");
    EXPECT_TRUE(rig.poster.Audible().empty());
}

TEST(CountdownTest, ZeroDurationCyclicKeepsTickingSilently) {
    Rig rig;
    rig.view.checks[CountdownCheck::Second] = true;
    rig.view.checks[CountdownCheck::LastOne] = true;
    rig.view.checks[CountdownCheck::Minute] = true;
    rig.view.checks[CountdownCheck::Circle] = true;
    rig.Duration("0", "0", "0");
    rig.Start();
    rig.RunTicks(500);
    EXPECT_TRUE(rig.view.counting);
    EXPECT_TRUE(rig.ticker.due);
    EXPECT_TRUE(rig.poster.Audible().empty());
}

TEST(CountdownTest, CyclicRestartSpeaksAsForTheFullDurationAndShowsOneLess) {
    Rig rig;
    rig.view.checks[CountdownCheck::Second] = true;
    rig.view.checks[CountdownCheck::Circle] = true;
    rig.view.texts[CountdownBox::LastSecond] = "3";
    rig.Duration("0", "0", "3");
    rig.Start();
    rig.RunTicks(4);
    EXPECT_EQ(rig.view.label, "0:0:2");
    // Ticks 1..3 speak 3, 2, 1; tick 4 (the restart) speaks 3 again.
    const auto got = rig.AudibleByTick();
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[3].first, 4);
    EXPECT_EQ(got[3].second.value, 3);
}

TEST(CountdownTest, CyclicModeIsReadAtEachEndOfRun) {
    Rig rig;
    rig.view.checks[CountdownCheck::Circle] = true;
    rig.StartSeconds("0", "0", "2");
    rig.RunTicks(7); // ends of run at ticks 3 and 6 restart
    EXPECT_TRUE(rig.view.counting);
    rig.view.checks[CountdownCheck::Circle] = false;
    rig.RunTicks(9); // the next end of run (tick 9) stops
    EXPECT_FALSE(rig.view.counting);
    EXPECT_FALSE(rig.ticker.due);

    // And switched on during a plain run, the run starts over instead of ending.
    Rig other;
    other.StartSeconds("0", "0", "2");
    other.RunTicks(1);
    other.view.checks[CountdownCheck::Circle] = true;
    other.RunTicks(3);
    EXPECT_TRUE(other.view.counting);
    EXPECT_EQ(other.view.label, "0:0:1");
}

TEST(CountdownTest, CheckboxesTakeEffectAtTheNextTick) {
    Rig rig;
    rig.StartSeconds("0", "0", "10");
    rig.RunTicks(3); // 10, 9, 8
    rig.view.checks[CountdownCheck::Second] = false;
    rig.view.checks[CountdownCheck::LastOne] = true;
    rig.RunTicks(11);
    const std::vector<Posted> expected{
        {SecondCount, 10, 0}, {SecondCount, 9, 0}, {SecondCount, 8, 0}, {Cue, 22, 0}};
    EXPECT_EQ(rig.poster.Audible(), expected);
}

TEST(CountdownTest, StopKeepsLabelAndRemainderAndTheNextStartBeginsAgain) {
    Rig rig;
    rig.StartSeconds("0", "1", "0");
    rig.RunTicks(15);
    rig.countdown.Stop();
    EXPECT_FALSE(rig.view.counting);
    EXPECT_FALSE(rig.countdown.State.Running);
    EXPECT_FALSE(rig.ticker.due);
    EXPECT_EQ(rig.view.label, "0:0:45");
    EXPECT_EQ(rig.countdown.State.RemainSeconds, 45);

    rig.clock.now += 2500;
    rig.Start();
    EXPECT_EQ(rig.view.label, "0:1:0");
    EXPECT_EQ(rig.countdown.State.RemainSeconds, 60);
    rig.RunTicks(1);
    EXPECT_EQ(rig.view.label, "0:0:59");
}

TEST(CountdownTest, NoConditionShowsTheBoxAndStartsNothing) {
    Rig rig;
    rig.view.checks[CountdownCheck::Circle] = true; // not a counting condition
    rig.Start();
    EXPECT_EQ(rig.view.noConditionBoxes, 1);
    EXPECT_FALSE(rig.view.counting);
    EXPECT_FALSE(rig.ticker.due);
    EXPECT_FALSE(rig.countdown.State.Running);
    EXPECT_EQ(rig.countdown.State.TotalSeconds, 0);
    EXPECT_EQ(rig.view.label, "00:10:30");
}

TEST(CountdownTest, FieldsReadBeforeABadBoxKeepTheirNewValues) {
    Rig rig;
    rig.view.checks[CountdownCheck::Minute] = true;
    rig.Duration("1", "2", "3");
    rig.view.texts[CountdownBox::LastMinute] = "7";
    rig.view.texts[CountdownBox::PerMinute] = "abc";
    try {
        rig.countdown.Start();
        FAIL() << "no conversion error";
    } catch (const lumivox::EConvertError& error) {
        EXPECT_STREQ(error.what(), "'abc' is not a valid integer value");
    }
    const auto& s = rig.countdown.State;
    EXPECT_EQ(s.CountHour, 1);
    EXPECT_EQ(s.CountMinute, 2);
    EXPECT_EQ(s.CountSecond, 3);
    EXPECT_EQ(s.LastMinute, 7);
    EXPECT_EQ(s.PerMinute, 0);
    EXPECT_EQ(s.TotalSeconds, 0);
    EXPECT_FALSE(s.Running);
    EXPECT_FALSE(rig.view.counting);
    EXPECT_FALSE(rig.ticker.due);
    EXPECT_EQ(rig.view.label, "00:10:30");
}

TEST(CountdownTest, PhasesKeepTheSignOfTheDividend) {
    Rig rig;
    rig.view.checks[CountdownCheck::Second] = true;
    rig.view.texts[CountdownBox::LastMinute] = "-7";
    rig.view.texts[CountdownBox::PerMinute] = "3";
    rig.view.texts[CountdownBox::LastSecond] = "10";
    rig.view.texts[CountdownBox::PerSecond] = "4";
    rig.Start();
    EXPECT_EQ(rig.countdown.State.MinutePhase, -1);
    EXPECT_EQ(rig.countdown.State.SecondPhase, 2);
    EXPECT_EQ(rig.countdown.State.TotalSeconds, 630);
}

// --- Locked to real time ------------------------------------------------------------

TEST(CountdownDriftTest, LateTimerStillEndsOnTimeAndNeverSpeaksAPastCount) {
    Rig rig;
    std::mt19937 random(5);
    std::uniform_int_distribution<std::int64_t> late(0, 200);
    rig.view.checks[CountdownCheck::Second] = true;
    rig.view.checks[CountdownCheck::Minute] = true;
    rig.view.texts[CountdownBox::LastSecond] = "600"; // every tick posts
    rig.Duration("0", "10", "0");
    rig.Start();

    std::int64_t zeroShownAt = -1;
    const std::int64_t stallAt = rig.t0 + 300'000;
    bool stalled = false;
    RunUntil(
        rig.clock, rig.ticker, rig.t0 + 700'000,
        [&] {
            rig.countdown.OnTimer();
            if (zeroShownAt < 0 && rig.view.label == "0:0:0")
                zeroShownAt = rig.clock.now - rig.t0;
        },
        [&] {
            // One 5-second stall halfway through, else 0-200 ms late.
            if (!stalled && rig.ticker.due && *rig.ticker.due >= stallAt) {
                stalled = true;
                return std::int64_t{5000};
            }
            return late(random);
        });

    EXPECT_TRUE(stalled);
    EXPECT_FALSE(rig.view.counting);
    EXPECT_GE(zeroShownAt, 600'000);
    EXPECT_LE(zeroShownAt, 600'200);

    // Each count is the one due at the moment it is posted: the value before the
    // decrement of the newest tick applied then.
    for (const Posted& p : rig.poster.Audible()) {
        const std::int64_t tick = (p.at - rig.t0) / 1000;
        const std::int64_t seconds = 600 - tick + 1;
        if (p.kind == SecondCount)
            EXPECT_EQ(p.value, seconds) << "posted at " << p.at - rig.t0;
        else
            EXPECT_EQ(p.value * 60, seconds) << "posted at " << p.at - rig.t0;
    }
    // The stall swallowed the counts of the ticks it delayed: only one second count
    // comes out of the batch, and none of the values 300..296 is spoken late.
    int postsAtStallEnd = 0;
    for (const Posted& p : rig.poster.all) {
        if (p.at >= stallAt + 5000 && p.at < stallAt + 5200)
            ++postsAtStallEnd;
    }
    EXPECT_EQ(postsAtStallEnd, 1);
    std::vector<int> minuteCounts;
    for (const Posted& p : rig.poster.Audible())
        if (p.kind == MinuteCount)
            minuteCounts.push_back(p.value);
    EXPECT_EQ(minuteCounts, (std::vector<int>{10, 9, 8, 7, 6, 4, 3, 2, 1}));
}

TEST(CountdownDriftTest, LateTimerStillSoundsTheCueItIsAtMostOneSecondPast) {
    // Ticks 1..5 show 4..0 and tick 5 carries the cue; tick 6 restarts the cycle.
    const struct {
        std::int64_t firesAt;
        std::vector<Posted> heard;
    } cases[] = {
        {5000, {{Cue, 22, 0}}},                      // the cue's tick is the newest
        {6000, {{Cue, 22, 0}, {SecondCount, 5, 0}}}, // one second past: cue, then the count
        {7000, {{SecondCount, 4, 0}}},               // two seconds past: too late for it
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.view.checks[CountdownCheck::LastOne] = true;
        rig.view.checks[CountdownCheck::Second] = true;
        rig.view.checks[CountdownCheck::Circle] = true;
        rig.Duration("0", "0", "5");
        rig.Start();
        rig.clock.now = rig.t0 + c.firesAt;
        rig.countdown.OnTimer();
        EXPECT_EQ(rig.poster.Audible(), c.heard) << "timer fired at " << c.firesAt;
    }
}

TEST(CountdownDriftTest, TicksFollowTheStartNotTheTimer) {
    // A timer that always fires 400 ms late still applies tick k at t0 + k s + 400 ms,
    // not k * 1.4 s.
    Rig rig;
    rig.StartSeconds("0", "5", "0");
    RunUntil(
        rig.clock, rig.ticker, rig.t0 + 100'500, [&] { rig.countdown.OnTimer(); },
        [] { return std::int64_t{400}; });
    EXPECT_EQ(rig.countdown.State.RemainSeconds, 200);
    EXPECT_EQ(rig.view.label, "0:3:20");
}

TEST(CountdownDriftTest, EarlyWakeAppliesNothing) {
    Rig rig;
    rig.StartSeconds("0", "0", "9");
    rig.clock.now = rig.t0 + 999;
    rig.countdown.OnTimer();
    EXPECT_EQ(rig.countdown.State.RemainSeconds, 9);
    ASSERT_TRUE(rig.ticker.due);
    EXPECT_EQ(*rig.ticker.due, rig.t0 + 1000);
    EXPECT_TRUE(rig.poster.all.empty());
}

TEST(CountdownDriftTest, CyclicRunsKeepTheSameSchedule) {
    Rig rig;
    rig.view.checks[CountdownCheck::Circle] = true;
    rig.StartSeconds("0", "0", "9");
    std::mt19937 random(11);
    std::uniform_int_distribution<std::int64_t> late(0, 300);
    // Runs of 9 ticks each after the first: the restart tick shows 8 again.
    RunUntil(
        rig.clock, rig.ticker, rig.t0 + 495'500, [&] { rig.countdown.OnTimer(); },
        [&] { return late(random); });
    EXPECT_EQ(rig.view.label, "0:0:0"); // tick 495 = 55 * 9
    rig.RunTicks(496);
    EXPECT_EQ(rig.view.label, "0:0:8"); // the restart
}

} // namespace

// --- Counting down to a moment of the wall clock -------------------------------------

struct UntilCase {
    const char* name;
    std::int64_t startAt;           // wall time of the start, ms into the day
    std::int64_t jumpAfter, jumpBy; // the clock set this long after the start; 0: never
    std::vector<std::pair<std::int64_t, Posted>> spoken; // wall time, request
    std::int64_t endAt;                                  // wall time the run ends; -1: still on
    const char* label;                                   // shown at the end of the test
};

constexpr std::int64_t kEight = 20 * 3'600'000; // 20:00:00, the target
constexpr std::int64_t kDayStart = 20'000LL * 86'400'000;

class UntilTest : public ::testing::TestWithParam<UntilCase> {};

TEST_P(UntilTest, SpeaksOnTheWallClocksSecondsAndEndsOnTheTarget) {
    const UntilCase& c = GetParam();
    Rig rig;
    rig.view.checks[CountdownCheck::Second] = true;
    rig.view.checks[CountdownCheck::LastOne] = true;
    rig.view.texts[CountdownBox::LastSecond] = "5";
    rig.clock.wallOffset = kDayStart + c.startAt - rig.clock.now;
    rig.countdown.StartUntil(rig.clock, kDayStart + kEight);
    std::int64_t endedAt = -1;
    std::vector<std::pair<std::int64_t, Posted>> got; // as heard: on the wall clock
    std::size_t seen = 0;
    auto tick = [&] {
        rig.countdown.OnTimer();
        const std::int64_t wall = rig.clock.LocalMs() - kDayStart;
        for (std::size_t i = seen; i < rig.poster.all.size(); ++i)
            if (rig.poster.all[i].value > 0) // a count of nothing says nothing
                got.push_back({wall, rig.poster.all[i]});
        seen = rig.poster.all.size();
        if (!rig.view.counting && endedAt < 0)
            endedAt = wall;
    };
    const std::int64_t start = rig.clock.now;
    if (c.jumpAfter > 0) {
        RunUntil(rig.clock, rig.ticker, start + c.jumpAfter, tick);
        rig.clock.wallOffset += c.jumpBy;
    }
    RunUntil(rig.clock, rig.ticker, start + 20'000, tick);

    EXPECT_EQ(got, c.spoken);
    EXPECT_EQ(endedAt, c.endAt);
    EXPECT_EQ(rig.view.label, c.label);
}

std::vector<std::pair<std::int64_t, Posted>> LastFiveBefore(std::int64_t target) {
    return {{target - 5000, Posted{SecondCount, 5, 0}},
            {target - 4000, Posted{SecondCount, 4, 0}},
            {target - 3000, Posted{SecondCount, 3, 0}},
            {target - 2000, Posted{SecondCount, 2, 0}},
            {target - 1000, Posted{Cue, 22, 0}}};
}

INSTANTIATE_TEST_SUITE_P(
    Moments, UntilTest,
    ::testing::Values(
        UntilCase{"MidSecondStart", kEight - 6700, 0, 0, LastFiveBefore(kEight), kEight, "0:0:0"},
        UntilCase{"OneSecondAway", kEight - 1000, 0, 0, {}, kEight, "0:0:0"},
        UntilCase{"ASecondAndAHalfAway",
                  kEight - 1500,
                  0,
                  0,
                  {{kEight - 1000, Posted{Cue, 22, 0}}},
                  kEight,
                  "0:0:0"},
        // Set back an hour two seconds in: an hour more to go, nothing said meanwhile.
        UntilCase{"ClockSetBackAnHour", kEight - 8000, 2000, -3'600'000, {}, -1, "0:59:47"},
        // Set forward an hour: past the moment, the run ends at once, unspoken.
        UntilCase{"ClockSetPastTheTarget",
                  kEight - 8000,
                  2000,
                  3'600'000,
                  {},
                  kEight + 3'595'000,
                  "0:0:0"},
        // A clock set forward by a minute while counting: still on the target's seconds.
        UntilCase{"ClockSetForwardAMinute", kEight - 70'000, 2000, 60'000, LastFiveBefore(kEight),
                  kEight, "0:0:0"}),
    [](const auto& info) { return std::string(info.param.name); });
