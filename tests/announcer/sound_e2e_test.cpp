// The real sound path: embedded clips through the sound server into the test sink.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "announcer/platform/pulselibrary.h"
#include "announcer/platform/pulsesoundoutput.h"
#include "announcer/platform/resourceclips.h"
#include "sinkrecorder.h"

using namespace std::chrono_literals;
using lumivox::testing::SinkRecorder;

namespace {
lumivox::ClipHandle Clip(int i) {
    return lumivox::ResourceClipSource().FindClip("WAV", "wav" + std::to_string(i));
}
} // namespace

TEST(RealSound, ClipEightIsHeardWholeAtTheSink) {
    ASSERT_TRUE(lumivox::testing::TestSoundServerConfigured());
    lumivox::PulseSoundOutput sound;
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.Start());
    sound.PlaySync(Clip(8));
    std::this_thread::sleep_for(300ms);
    const auto recording = recorder.Stop();

    const auto clip = lumivox::testing::ClipSamples(Clip(8));
    const auto match = lumivox::testing::FindClipSequence(recording, {clip});
    ASSERT_TRUE(match.found);
    EXPECT_GT(match.Weakest(), 0.9);
    // The sound heard lasts as long as the clip's own sound (within 50 ms).
    const auto heardBegin = lumivox::testing::FirstSound(recording, 0, recording.size());
    const auto heardEnd = lumivox::testing::EndOfSound(recording, 0, recording.size());
    const auto clipBegin = lumivox::testing::FirstSound(clip, 0, clip.size());
    const auto clipEnd = lumivox::testing::EndOfSound(clip, 0, clip.size());
    const double heard = double(heardEnd - heardBegin) / lumivox::testing::kSinkRate;
    const double expected = double(clipEnd - clipBegin) / lumivox::testing::kSinkRate;
    EXPECT_NEAR(heard, expected, 0.050);
}

TEST(RealSound, AbortCutsTheClipAndSilencesLaterPlays) {
    ASSERT_TRUE(lumivox::testing::TestSoundServerConfigured());
    lumivox::PulseSoundOutput sound;
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.Start());
    std::thread aborter([&] {
        std::this_thread::sleep_for(150ms);
        sound.Abort();
    });
    const auto started = std::chrono::steady_clock::now();
    sound.PlaySync(Clip(13));
    const auto played = std::chrono::steady_clock::now() - started;
    aborter.join();
    sound.PlaySync(Clip(5)); // after an abort: nothing
    std::this_thread::sleep_for(300ms);
    const auto recording = recorder.Stop();

    std::printf("[ figure ] PlaySync returned %.0f ms after start, abort at 150 ms\n",
                std::chrono::duration<double, std::milli>(played).count());
    const auto whole = lumivox::testing::ClipSamples(Clip(13));
    const auto begin = lumivox::testing::FirstSound(recording, 0, recording.size());
    const auto end = lumivox::testing::EndOfSound(recording, 0, recording.size());
    // Less than the whole clip was heard, and clip 5 not at all.
    EXPECT_LT(end - begin, whole.size() * 9 / 10);
    const auto later =
        lumivox::testing::FindClipSequence(recording, {lumivox::testing::ClipSamples(Clip(5))});
    EXPECT_TRUE(!later.found || later.Weakest() < 0.5) << later.Weakest();
}

TEST(RealSound, NoSoundServerPlaysNothingAndReturns) {
    const char* saved = std::getenv("PULSE_SERVER");
    const std::string previous = saved ? saved : "";
    setenv("PULSE_SERVER", "unix:/nonexistent/lumivox-test/native", 1);
    lumivox::PulseSoundOutput sound;
    sound.PlaySync(Clip(8));
    sound.PlaySync(Clip(9));
    if (saved)
        setenv("PULSE_SERVER", previous.c_str(), 1);
    else
        unsetenv("PULSE_SERVER");
    SUCCEED(); // returning at all, without a crash, is the point
}

// A system without the sound server's library, or with one that lacks a function: the
// loader names what is missing, and playing returns as it does without a server.
TEST(RealSound, NoSoundLibraryPlaysNothingAndReturns) {
    const struct {
        const char* library;
        const char* named; // besides the library
    } rows[] = {
        {"libpulse-simple.so.0-absent", "No such file"},
        {"libm.so.6", "pa_simple_new"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.library);
        lumivox::PulseLibrary pulse;
        std::string why;
        EXPECT_FALSE(lumivox::LoadPulseLibrary(row.library, pulse, why));
        EXPECT_NE(why.find(row.library), std::string::npos) << why;
        EXPECT_NE(why.find(row.named), std::string::npos) << why;
        lumivox::PulseSoundOutput sound("Lumivox", row.library);
        sound.PlaySync(Clip(8));
        sound.PlaySync(Clip(9));
    }
}
