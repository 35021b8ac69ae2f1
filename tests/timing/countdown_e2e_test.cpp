// A countdown on the real program, heard on the test desktop's null sink: 0:0:12,
// the last 10 seconds every second and the cue; the clips must come on their seconds.
#include <gtest/gtest.h>

#include <ctime>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/mainform.h"
#include "sinkrecorder.h"

namespace {

using namespace std::chrono_literals;
using lumivox::testing::ClipSamples;
using lumivox::testing::FindClipSequence;
using lumivox::testing::kSinkRate;
using lumivox::testing::SinkRecorder;
using Id = lumivox::ControlId;
using SteadyTime = std::chrono::steady_clock::time_point;

double MsBetween(SteadyTime a, SteadyTime b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

struct Heard {
    int clip;
    int tick;        // the countdown tick that asks for it
    double offsetMs; // its start minus (click + tick seconds)
    double correlation;
};

// On a busy machine the sound server can run dry and drop part of a clip; the test
// listens up to this many times and judges the first clean hearing.
constexpr int kAttempts = 3;

// The duration countdown, or (untilTimeOfDay) the countdown to a time of day 13 s away:
// either way count n is due 13 - n seconds after the reference, the click or 13 s
// before the moment counted to, which lies on a second of the wall clock.
class CountdownOnRealSound : public ::testing::TestWithParam<bool> {};

TEST_P(CountdownOnRealSound, LastTenSecondsAndTheCueComeOnTheirSeconds) {
    if (!lumivox::testing::TestSoundServerConfigured())
        GTEST_SKIP() << "no test sound server (run through scripts/test.sh)";
    const bool untilTimeOfDay = GetParam();

    // Count n is asked for on tick 13 - n (the tick where n seconds remain); the cue on
    // tick 12, in place of 1.
    std::vector<std::pair<int, int>> expected; // clip, tick
    for (int n = 10; n >= 2; --n)
        expected.push_back({n, 13 - n});
    expected.push_back({21, 12});

    std::vector<Heard> heard;
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        QTemporaryDir settingsDir;
        TForm1::Options options;
        options.settingsDir = settingsDir.path().toStdString();
        TForm1 form(std::move(options));
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

        form.Control<QComboBox>(Id::cbbHour)->setCurrentText("0");
        form.Control<QComboBox>(Id::cbbMin)->setCurrentText("0");
        form.Control<QComboBox>(Id::cbbSec)->setCurrentText("12");
        form.Control<QComboBox>(Id::cbbLastSec)->setCurrentText("10");
        form.Control<QComboBox>(Id::cbbPerSec)->setCurrentText("1");
        QTest::mouseClick(form.Control<QCheckBox>(Id::chkSec), Qt::LeftButton, {}, QPoint(6, 8));
        QTest::mouseClick(form.Control<QCheckBox>(Id::chkLastOne), Qt::LeftButton, {},
                          QPoint(6, 8));
        ASSERT_TRUE(form.Control<QCheckBox>(Id::chkSec)->isChecked());
        ASSERT_TRUE(form.Control<QCheckBox>(Id::chkLastOne)->isChecked());

        SinkRecorder recorder;
        ASSERT_TRUE(recorder.Start());
        SteadyTime click = std::chrono::steady_clock::now();
        if (untilTimeOfDay) {
            // The next whole second 13.5 s or more away, in the boxes of the time of day.
            const auto wallNow = std::chrono::system_clock::now();
            const std::time_t target =
                std::chrono::system_clock::to_time_t(wallNow + std::chrono::milliseconds(13'500)) +
                1;
            std::tm local{};
            localtime_r(&target, &local);
            form.Control<QComboBox>(Id::cbbUntilHour)
                ->setCurrentText(QString::number(local.tm_hour));
            form.Control<QComboBox>(Id::cbbUntilMin)->setCurrentText(QString::number(local.tm_min));
            form.Control<QComboBox>(Id::cbbUntilSec)->setCurrentText(QString::number(local.tm_sec));
            click = std::chrono::steady_clock::now() +
                    (std::chrono::system_clock::from_time_t(target) - std::chrono::seconds(13) -
                     std::chrono::system_clock::now());
            QTest::mouseClick(form.Control<QPushButton>(Id::btnUntilStart), Qt::LeftButton);
            QTest::qWait(1000);
        } else {
            QTest::mouseClick(form.Control<QPushButton>(Id::btnMinStart), Qt::LeftButton);
        }
        ASSERT_FALSE(form.Control<QPushButton>(Id::btnMinStart)->isEnabled());
        QTest::qWait(14'500);
        EXPECT_TRUE(form.Control<QPushButton>(Id::btnMinStart)->isEnabled()); // the run has ended
        const SteadyTime stop = std::chrono::steady_clock::now();
        const std::vector<std::int16_t> recording = recorder.Stop();
        ASSERT_FALSE(recording.empty());

        // The recording ends when it is stopped: sample i was heard at
        // stop - (size - i) / rate.
        const double clickAtSample =
            static_cast<double>(recording.size()) - MsBetween(click, stop) * kSinkRate / 1000.0;

        {
            // What was heard, one character per 100 ms from the click: '#' loud, '.' quiet.
            std::string line;
            for (double t = 0; t < 14'000; t += 100) {
                const auto i = static_cast<std::size_t>(clickAtSample + t * kSinkRate / 1000.0);
                const std::size_t end = std::min(recording.size(), i + kSinkRate / 10);
                const bool loud = i < end && lumivox::testing::FirstSound(recording, i, end) < end;
                line += loud ? '#' : '.';
            }
            std::printf("%s\n", line.c_str());
        }
        heard.clear();
        std::size_t from = 0;
        bool clean = true;
        for (const auto& [clip, tick] : expected) {
            const auto match =
                FindClipSequence(recording, {ClipSamples(form.Rules().Clips.Clip(clip))}, from);
            ASSERT_TRUE(match.found) << "clip " << clip << " not heard";
            const double offset =
                (static_cast<double>(match.start) - clickAtSample) * 1000.0 / kSinkRate -
                tick * 1000.0;
            heard.push_back({clip, tick, offset, match.correlations[0]});
            clean = clean && match.correlations[0] > 0.9;
            from = match.end;
        }
        std::printf("hearing %d:", attempt);
        for (const Heard& h : heard)
            std::printf(" clip %d %+.0f ms (%.3f)", h.clip, h.offsetMs, h.correlation);
        std::printf("\n");
        if (clean)
            break;
    }

    // Every clip on its second, the same way: the ticks are locked to the click.
    std::vector<double> offsets;
    for (const Heard& h : heard)
        offsets.push_back(h.offsetMs);
    std::sort(offsets.begin(), offsets.end());
    const double common = offsets[offsets.size() / 2];
    std::printf("offsets from the wall clock's seconds: median %+.0f ms\n", common);
    for (const Heard& h : heard) {
        EXPECT_GT(h.correlation, 0.9) << "clip " << h.clip;
        EXPECT_LE(std::abs(h.offsetMs - common), 150.0)
            << "clip " << h.clip << " on tick " << h.tick;
        // The sound server's own buffering (a quarter of a second) is allowed on top.
        EXPECT_GE(h.offsetMs, -150.0) << "clip " << h.clip << " came before its tick";
        EXPECT_LE(h.offsetMs, 150.0 + 250.0) << "clip " << h.clip << " on tick " << h.tick;
    }
}

INSTANTIATE_TEST_SUITE_P(DurationOrTimeOfDay, CountdownOnRealSound, ::testing::Bool(),
                         [](const auto& info) {
                             return std::string(info.param ? "ToATimeOfDay" : "OfADuration");
                         });

} // namespace
