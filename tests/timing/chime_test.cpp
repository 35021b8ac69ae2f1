#include <gtest/gtest.h>

#include <optional>

#include <random>
#include <vector>

#include "simtime.h"
#include "timing/chime.h"

namespace {

using lumivox::Chime;
using lumivox::RequestKind::SpeakTime;
using namespace lumivox::testing; // the simulated clock, alarm and poster

constexpr std::int64_t kSecond = 1000;
constexpr std::int64_t kMinute = 60 * kSecond;
constexpr std::int64_t kHour = 60 * kMinute;
constexpr std::int64_t kDay = 24 * kHour;
// Local midnight of some day, as wall-clock milliseconds.
constexpr std::int64_t kMidnight = 19'000 * kDay;

class FakeBoxes : public lumivox::ChimeView {
public:
    bool HourChecked() const override { return hour; }
    bool HalfChecked() const override { return half; }
    bool QuarterChecked() const override { return quarter; }
    std::optional<lumivox::QuietHours> Quiet() const override { return quiet; }
    bool FollowDndChecked() const override { return followDnd; }
    bool hour = false;
    bool half = false;
    bool quarter = false;
    std::optional<lumivox::QuietHours> quiet;
    bool followDnd = false;
};

struct Rig {
    SimClock clock;
    SimAlarm alarm{clock};
    RecordingPoster poster{clock};
    FakeBoxes boxes;
    FakeDoNotDisturb desktop;
    Chime chime{boxes, poster, clock, alarm, &desktop};
    int wakes = 0; // alarm calls: the chime's idle cost

    // Sets the clock as the user or time sync would; the platform reports it.
    void SetWall(std::int64_t wall) {
        clock.wallOffset = wall - clock.now;
        chime.OnClockChanged();
    }
    std::int64_t Wall() const { return clock.LocalMs(); }
    void RunFor(
        std::int64_t ms,
        const std::function<std::int64_t()>& late = [] { return std::int64_t{0}; }) {
        RunUntil(
            clock, alarm, clock.now + ms,
            [this] {
                ++wakes;
                chime.OnTimer();
            },
            late);
    }
    std::vector<std::int32_t> Values() const {
        std::vector<std::int32_t> out;
        for (const auto& p : poster.all) {
            EXPECT_EQ(p.kind, SpeakTime);
            out.push_back(p.value);
        }
        return out;
    }
};

struct BoundaryCase {
    const char* name;
    bool hour, half;
    std::int64_t at; // wall time of the boundary
    std::vector<std::int32_t> posted;
    bool quarter = false;
    std::optional<lumivox::QuietHours> quiet = std::nullopt;
    bool followDnd = false, doNotDisturb = false;
    int asked = 0; // times the desktop was asked
};

class ChimeBoundaryTest : public ::testing::TestWithParam<BoundaryCase> {};

TEST_P(ChimeBoundaryTest, PostsOnlyForTheCheckedBoxes) {
    const BoundaryCase& c = GetParam();
    Rig rig;
    rig.SetWall(kMidnight + c.at - 20 * kSecond);
    rig.boxes.hour = c.hour;
    rig.boxes.half = c.half;
    rig.boxes.quarter = c.quarter;
    rig.boxes.quiet = c.quiet;
    rig.boxes.followDnd = c.followDnd;
    rig.desktop.doNotDisturb = c.doNotDisturb;
    rig.chime.Update();
    rig.RunFor(40 * kSecond);
    EXPECT_EQ(rig.Values(), c.posted);
    EXPECT_EQ(rig.desktop.asked, c.asked);
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, ChimeBoundaryTest,
    ::testing::Values(
        BoundaryCase{"HalfOnlyAtNoon", false, true, 12 * kHour, {}},
        BoundaryCase{"HalfOnlyAtHalfPastNoon", false, true, 12 * kHour + 30 * kMinute, {12030}},
        BoundaryCase{"HourAtMidnight", true, false, 0, {0}},
        BoundaryCase{"HourOnlyAtHalfPast", true, false, 14 * kHour + 30 * kMinute, {}},
        BoundaryCase{"BothAtEight", true, true, 8 * kHour, {8000}},
        BoundaryCase{"BothAtHalfPastEleven", true, true, 23 * kHour + 30 * kMinute, {23030}},
        BoundaryCase{"BothAtAQuarter", true, true, 9 * kHour + 15 * kMinute, {}},
        BoundaryCase{"QuarterPast", false, false, 14 * kHour + 15 * kMinute, {14015}, true},
        BoundaryCase{"QuarterTo", false, false, 14 * kHour + 45 * kMinute, {14045}, true},
        BoundaryCase{"QuarterAloneNotOnTheHour", false, false, 14 * kHour, {}, true},
        BoundaryCase{"QuarterWithHourOnTheHour", true, false, 14 * kHour, {14000}, true},
        // Quiet from 14 to 15, set into the window by the clock set 20 s before.
        BoundaryCase{"QuietHourIsSilent", true, true, 14 * kHour, {}, true, {{14, 15}}},
        BoundaryCase{"QuietEndsAtItsHour", true, true, 15 * kHour, {15000}, true, {{14, 15}}},
        BoundaryCase{"QuietWrapsPastMidnight", true, false, 3 * kHour, {}, false, {{22, 7}}},
        BoundaryCase{"QuietStartsAtItsHour", true, false, 22 * kHour, {}, false, {{22, 7}}},
        BoundaryCase{"QuietBeforeItsStart",
                     false,
                     true,
                     21 * kHour + 30 * kMinute,
                     {21030},
                     false,
                     {{22, 7}}},
        BoundaryCase{"QuietFromEqualToIsNever", true, false, 5 * kHour, {5000}, false, {{5, 5}}},
        // The desktop is asked only when the box is checked and a chime is due.
        BoundaryCase{"DndHoldsTheHour", true, false, 9 * kHour, {}, false, {}, true, true, 1},
        BoundaryCase{"DndHoldsQuarter", false, false, 555 * kMinute, {}, true, {}, true, true, 1},
        BoundaryCase{"DndUncheckedIsHeard", true, true, 9 * kHour, {9000}, false, {}, false, true},
        BoundaryCase{"NoDndIsHeard", true, false, 9 * kHour, {9000}, false, {}, true, false, 1},
        BoundaryCase{"DndNotAskedOffTheChime", false, true, 9 * kHour, {}, false, {}, true, true},
        BoundaryCase{
            "DndNotAskedWhenQuiet", true, false, 3 * kHour, {}, false, {{22, 7}}, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChimeTest, BothBoxesOffMeansNoTimerAndNothingPosted) {
    Rig rig;
    rig.SetWall(kMidnight + 11 * kHour);
    rig.chime.Update();
    EXPECT_FALSE(rig.alarm.due);
    rig.RunFor(kDay);
    EXPECT_TRUE(rig.poster.all.empty());

    // On, then both off again: the timer stops.
    rig.boxes.half = true;
    rig.chime.Update();
    EXPECT_TRUE(rig.alarm.due);
    rig.boxes.half = false;
    rig.chime.Update();
    EXPECT_FALSE(rig.alarm.due);
    rig.RunFor(kDay);
    EXPECT_TRUE(rig.poster.all.empty());
}

// A timer late by up to 200 ms takes a long and a short sleep per minute; a punctual
// one (on time to the millisecond) one sleep. Nothing more either way.
class ChimeDayTest : public ::testing::TestWithParam<bool> {};

TEST_P(ChimeDayTest, ADayPostsEveryHalfHourOnceAndOnTime) {
    const bool punctual = GetParam();
    Rig rig;
    rig.alarm.punctual = punctual;
    std::mt19937 random(3);
    std::uniform_int_distribution<std::int64_t> late(0, punctual ? 0 : 200);
    rig.SetWall(kMidnight - 7'777);
    rig.boxes.hour = rig.boxes.half = true;
    rig.chime.Update();
    rig.RunFor(kDay, [&] { return late(random); });

    ASSERT_EQ(rig.poster.all.size(), 48u);
    EXPECT_EQ(rig.wakes, (punctual ? 1 : 2) * 24 * 60);
    for (std::size_t i = 0; i < rig.poster.all.size(); ++i) {
        const auto& p = rig.poster.all[i];
        const int hour = static_cast<int>(i / 2);
        const int minute = i % 2 == 0 ? 0 : 30;
        EXPECT_EQ(p.value, hour * 1000 + minute);
        const std::int64_t due = kMidnight + hour * kHour + minute * kMinute;
        const std::int64_t wallAt = p.at + rig.clock.wallOffset;
        EXPECT_GE(wallAt, due);
        EXPECT_LE(wallAt, due + (punctual ? 0 : 200));
    }
}
INSTANTIATE_TEST_SUITE_P(Alarms, ChimeDayTest, ::testing::Values(false, true));

TEST(ChimeTest, ClockSetBackOverTheHalfHourDoesNotRepeatIt) {
    Rig rig;
    rig.SetWall(kMidnight + 12 * kHour + 29 * kMinute + 50 * kSecond);
    rig.boxes.half = true;
    rig.chime.Update();
    rig.RunFor(70 * kSecond); // 12:31:00
    EXPECT_EQ(rig.Values(), std::vector<std::int32_t>{12030});
    rig.SetWall(kMidnight + 12 * kHour + 29 * kMinute + 30 * kSecond);
    rig.RunFor(6 * kMinute);
    EXPECT_EQ(rig.Values(), std::vector<std::int32_t>{12030});
    rig.RunFor(30 * kMinute); // 13:05:30
    rig.boxes.hour = true;
    rig.RunFor(30 * kMinute); // 13:30 comes once
    EXPECT_EQ(rig.Values(), (std::vector<std::int32_t>{12030, 13030}));
}

TEST(ChimeTest, ClockSetForwardIsFollowedAtTheNextMinute) {
    Rig rig;
    rig.SetWall(kMidnight + 9 * kHour + 10 * kMinute + 20 * kSecond);
    rig.boxes.hour = true;
    rig.chime.Update();
    rig.RunFor(30 * kSecond);
    // Set forward to 9:59:57.5, half a minute before the chime meant to wake.
    rig.SetWall(kMidnight + 9 * kHour + 59 * kMinute + 57'500);
    rig.RunFor(10 * kSecond);
    EXPECT_EQ(rig.Values(), std::vector<std::int32_t>{10000});
    const std::int64_t wallAt = rig.poster.all.at(0).at + rig.clock.wallOffset;
    EXPECT_EQ(wallAt, kMidnight + 10 * kHour);
}

TEST(ChimeTest, ResumeFromSleepRealignsToTheMinute) {
    Rig rig;
    rig.SetWall(kMidnight + 7 * kHour + 5 * kMinute + 12'345);
    rig.boxes.hour = rig.boxes.half = true;
    rig.chime.Update();
    rig.RunFor(3 * kMinute);
    // Asleep for 52 minutes: the monotonic clock (and the pending timer) stood still
    // while the wall clock went on. It wakes at about 8:00:45.
    rig.SetWall(rig.Wall() + 52 * kMinute + 30'000);
    rig.RunFor(40 * kMinute);
    // 8:00 was found long past and skipped; 8:30 comes on the dot.
    EXPECT_EQ(rig.Values(), std::vector<std::int32_t>{8030});
    const std::int64_t wallAt = rig.poster.all.at(0).at + rig.clock.wallOffset;
    EXPECT_EQ(wallAt, kMidnight + 8 * kHour + 30 * kMinute);
}

TEST(ChimeTest, ACheckThatComesTooLateSkipsTheStaleTime) {
    Rig rig;
    rig.SetWall(kMidnight + 16 * kHour + 59 * kMinute);
    rig.boxes.hour = true;
    rig.chime.Update();
    // The event loop is stuck for 6 s around 17:00.
    const std::int64_t boundaryMono = kMidnight + 17 * kHour - rig.clock.wallOffset;
    rig.RunFor(2 * kHour, [&] {
        const bool atBoundary = rig.alarm.due && *rig.alarm.due == boundaryMono;
        return atBoundary ? std::int64_t{6000} : std::int64_t{0};
    });
    EXPECT_EQ(rig.Values(), std::vector<std::int32_t>{18000});
}

TEST(ChimeTest, SwitchingOnDoesNotSpeakTheCurrentMinute) {
    Rig rig;
    rig.SetWall(kMidnight + 6 * kHour + 2 * kSecond);
    rig.boxes.hour = true;
    rig.chime.Update();
    rig.RunFor(59 * kMinute);
    EXPECT_TRUE(rig.poster.all.empty());
    rig.RunFor(2 * kMinute); // 7:01:02
    EXPECT_EQ(rig.Values(), std::vector<std::int32_t>{7000});
}

} // namespace
