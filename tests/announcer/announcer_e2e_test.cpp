// The announcer with the real embedded clips and the real sound output, heard on the
// test desktop's null sink.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "announcer/mythread.h"
#include "announcer/platform/defaultsound.h"
#include "announcer/platform/pulsesoundoutput.h"
#include "announcer/platform/resourceclips.h"
#include "announcer/request.h"
#include "announcer/sequences.h"
#include "sinkrecorder.h"
#include "soundserver.h"

namespace lumivox {
namespace {

using namespace std::chrono_literals;
using testing::ClipSamples;
using testing::FindClipSequence;
using testing::kSinkRate;
using testing::SinkRecorder;

// Passes every clip to the real output and counts the plays started and finished,
// so the test knows when the speech is over.
class CountingSound : public SoundOutput {
public:
    explicit CountingSound(SoundOutput& real) : real_(real) {}

    void PlaySync(ClipHandle clip) override {
        Bump(started_);
        real_.PlaySync(clip);
        Bump(finished_);
    }
    void Abort() override { real_.Abort(); }
    void ReleaseStream() override { real_.ReleaseStream(); }

    bool WaitStarted(int n) { return Wait(started_, n); }
    int Started() {
        std::lock_guard lock(mutex_);
        return started_;
    }
    int Finished() {
        std::lock_guard lock(mutex_);
        return finished_;
    }
    bool WaitFinished(int n) { return Wait(finished_, n); }

private:
    void Bump(int& counter) {
        std::lock_guard lock(mutex_);
        ++counter;
        changed_.notify_all();
    }
    bool Wait(const int& counter, int n) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 60s, [&] { return counter >= n; });
    }

    SoundOutput& real_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int started_ = 0;
    int finished_ = 0;
};

// The playback streams the sound server holds for an application of this name.
int ServerStreams(const std::string& applicationName) {
    const std::string command =
        "pactl list sink-inputs | grep -c 'application.name = \"" + applicationName + "\"'";
    FILE* out = popen(command.c_str(), "r");
    int count = -1;
    if (out && std::fscanf(out, "%d", &count) != 1)
        count = -1;
    if (out)
        pclose(out);
    return count;
}

double Ms(std::size_t samples) {
    return samples * 1000.0 / kSinkRate;
}

class AnnouncerOnRealSound : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::TestSoundServerConfigured())
            GTEST_SKIP() << "no test sound server (run through scripts/test.sh)";
        bank.LoadAll(source);
        for (int k = 0; k < kClipCount; ++k)
            ASSERT_FALSE(ClipSamples(bank.Clip(k)).empty()) << "clip " << k;
        real = CreateDefaultSoundOutput();
        sound = std::make_unique<CountingSound>(*real);
    }

    std::vector<std::vector<std::int16_t>> References(const ClipList& clips) const {
        std::vector<std::vector<std::int16_t>> refs;
        for (const int k : clips)
            refs.push_back(ClipSamples(bank.Clip(k)));
        return refs;
    }

    ResourceClipSource source;
    ClipBank bank;
    std::shared_ptr<SoundOutput> real;
    std::unique_ptr<CountingSound> sound;
};

// On a busy machine the sound server can run dry and drop part of a clip; such a
// hearing says nothing about the announcer, so a test listens up to this many times
// and judges the first clean hearing.
constexpr int kAttempts = 3;

TEST_F(AnnouncerOnRealSound, TimeRequestIsHeardAsItsClipsOneAfterAnother) {
    const ClipList expected = {11, 12, 10, 13, 10, 4, 14, 16};
    const auto refs = References(expected);
    std::size_t total = 0;
    for (const auto& r : refs)
        total += r.size();

    TMyThread announcer(bank, *sound);
    announcer.Resume();
    std::vector<std::int16_t> recording;
    testing::SequenceMatch match;
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        SinkRecorder recorder;
        ASSERT_TRUE(recorder.Start());
        announcer.Post(RequestKind::SpeakTime, 14030);
        ASSERT_TRUE(sound->WaitFinished(attempt * static_cast<int>(expected.size())))
            << sound->Started() << " clips started, " << sound->Finished() << " finished";
        std::this_thread::sleep_for(300ms); // the monitor's own latency
        recording = recorder.Stop();

        match = FindClipSequence(recording, refs);
        std::printf("hearing %d: found %d, per clip", attempt, match.found ? 1 : 0);
        for (std::size_t i = 0; i < match.correlations.size(); ++i)
            std::printf(" %d:%.3f", expected[i], match.correlations[i]);
        std::printf("\n");
        if (match.found && match.Weakest() > 0.9)
            break;
    }
    ASSERT_TRUE(match.found);
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_GT(match.correlations[i], 0.9) << "clip " << expected[i] << " at position " << i;

    const std::size_t heard = match.end - match.start;
    std::printf("14:30 heard for %.1f ms, clips sum to %.1f ms: %.1f ms between clips in all\n",
                Ms(heard), Ms(total), Ms(heard) - Ms(total));
    // Nothing was cut short (the gaps between clips are the sound server's to keep small).
    EXPECT_GE(Ms(heard), Ms(total) - 50.0);
    // Nothing else was played around it.
    EXPECT_EQ(testing::FirstSound(recording, 0, match.start), match.start);
    EXPECT_EQ(testing::EndOfSound(recording, match.end, recording.size()), match.end);
}

TEST_F(AnnouncerOnRealSound, ShutdownWithFiveAnnouncementsQueuedSilencesTheSink) {
    const auto refs = References(TimeClips(14, 30));
    std::size_t whole = 0;
    for (const auto& r : refs)
        whole += r.size();

    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        SinkRecorder recorder;
        ASSERT_TRUE(recorder.Start());
        // A fresh output each time: an aborted one stays silent.
        const std::shared_ptr<SoundOutput> output = CreateDefaultSoundOutput();
        CountingSound counting(*output);
        auto announcer = std::make_unique<TMyThread>(bank, counting);
        announcer->Resume();
        for (int i = 0; i < 5; ++i)
            announcer->Post(RequestKind::SpeakTime, 14030);
        ASSERT_TRUE(counting.WaitStarted(2)); // into the first announcement

        const auto begin = std::chrono::steady_clock::now();
        announcer->Shutdown();
        const double tookMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin)
                .count();
        std::printf("Shutdown with five time announcements queued took %.1f ms\n", tookMs);
        EXPECT_LT(tookMs, 5000.0);

        std::this_thread::sleep_for(1500ms); // anything still coming would be heard here
        const std::vector<std::int16_t> recording = recorder.Stop();

        // Speech stopped before even the first announcement was complete...
        const std::size_t from = testing::FirstSound(recording, 0, recording.size());
        const std::size_t to = testing::EndOfSound(recording, 0, recording.size());
        ASSERT_LT(from, to) << "nothing was heard";
        std::printf("heard %.1f ms of speech; one announcement is %.1f ms\n", Ms(to - from),
                    Ms(whole));
        EXPECT_LT(to - from, whole);
        // ...and it was that announcement's beginning.
        const testing::SequenceMatch first = FindClipSequence(recording, {refs[0]});
        ASSERT_TRUE(first.found);
        std::printf("hearing %d: first clip %.3f\n", attempt, first.correlations[0]);
        if (first.correlations[0] > 0.9 || attempt == kAttempts) {
            EXPECT_GT(first.correlations[0], 0.9);
            break;
        }
    }
}

TEST_F(AnnouncerOnRealSound, HalfVolumeIsHalfTheAmplitudeAndMuteHoldsNoStream) {
    const std::string name = "Lumivox volume test";
    PulseSoundOutput output(name);
    CountingSound counting(output);
    TMyThread announcer(bank, counting);
    announcer.Resume();
    const auto clip = ClipSamples(bank.Clip(8));
    int played = 0;
    // Clip 8 heard once at a volume: its peak and RMS at the sink.
    const auto hear = [&](int volume, double& peak, double& rms) {
        SinkRecorder recorder;
        ASSERT_TRUE(recorder.Start());
        announcer.Post(RequestKind::Volume, volume);
        announcer.Post(RequestKind::Cue, 9);
        ASSERT_TRUE(counting.WaitFinished(++played));
        std::this_thread::sleep_for(300ms); // the monitor's own latency
        const std::vector<std::int16_t> recording = recorder.Stop();
        const testing::SequenceMatch match = FindClipSequence(recording, {clip});
        ASSERT_TRUE(match.found);
        EXPECT_GT(match.Weakest(), 0.9); // the same sound, however loud
        double sum = 0;
        for (std::size_t i = match.start; i < match.end; ++i) {
            peak = std::max(peak, std::abs(double(recording[i])));
            sum += double(recording[i]) * recording[i];
        }
        rms = std::sqrt(sum / double(clip.size()));
    };
    double fullPeak = 0, fullRms = 0, halfPeak = 0, halfRms = 0;
    hear(100, fullPeak, fullRms);
    hear(50, halfPeak, halfRms);
    std::printf("[ figure ] at 50 %%: peak %.0f of %.0f (%.4f), RMS %.1f of %.1f (%.4f)\n",
                halfPeak, fullPeak, halfPeak / fullPeak, halfRms, fullRms, halfRms / fullRms);
    EXPECT_NEAR(halfPeak / fullPeak, 0.5, 0.02);
    EXPECT_NEAR(halfRms / fullRms, 0.5, 0.02);

    // Muted, the program holds no stream on the server; speech opens one again.
    EXPECT_EQ(ServerStreams(name), 1);
    announcer.Post(RequestKind::Volume, 0);
    announcer.Post(RequestKind::Cue, 9); // not played
    announcer.Post(RequestKind::Volume, 100);
    announcer.Post(RequestKind::Cue, 9);
    ASSERT_TRUE(counting.WaitFinished(3));
    EXPECT_EQ(counting.Started(), 3);
    EXPECT_EQ(ServerStreams(name), 1);
    announcer.Post(RequestKind::Volume, 0);
    for (int i = 0; i < 2000 && ServerStreams(name) != 0; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(ServerStreams(name), 0);
}

// --- Faults of the sound server, on a server of the test's own ----------------------

class SoundServerFaults : public AnnouncerOnRealSound {
protected:
    // Speaks a second count and returns once its clips have been played (or refused).
    void Speak(int seconds) {
        const int before = counting->Finished();
        announcer->Post(RequestKind::SecondCount, seconds);
        ASSERT_TRUE(
            counting->WaitFinished(before + static_cast<int>(SecondCountClips(seconds).size())));
    }
    // How often a second count is heard whole in a recording.
    int TimesHeard(const std::vector<std::int16_t>& recording, int seconds) const {
        const auto refs = References(SecondCountClips(seconds));
        int times = 0;
        for (std::size_t from = 0;; ++times) {
            const testing::SequenceMatch match = FindClipSequence(recording, refs, from);
            if (!match.found || match.Weakest() < 0.8)
                return times;
            from = match.end;
        }
    }
    void StartAnnouncer() {
        output = CreateDefaultSoundOutput();
        counting = std::make_unique<CountingSound>(*output);
        announcer = std::make_unique<TMyThread>(bank, *counting);
        announcer->Resume();
    }
    void TearDown() override {
        server.Resume();
        announcer.reset();
    }

    testing::PrivateSoundServer server;
    std::shared_ptr<SoundOutput> output;
    std::unique_ptr<CountingSound> counting;
    std::unique_ptr<TMyThread> announcer;
};

TEST_F(SoundServerFaults, AbsentAtStartThenStartedSpeechBegins) {
    StartAnnouncer();
    Speak(27); // nobody to hear it; returns at once
    ASSERT_TRUE(server.Start());
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.Start());
    Speak(15);
    std::this_thread::sleep_for(300ms); // the monitor's own latency
    EXPECT_EQ(TimesHeard(recorder.Stop(), 15), 1);
}

TEST_F(SoundServerFaults, KilledAndRestartedOnTheSameSocketSpeechResumes) {
    ASSERT_TRUE(server.Start());
    StartAnnouncer();
    Speak(27);
    server.Kill();
    Speak(15); // into the broken connection
    ASSERT_TRUE(server.Start());
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.Start());
    Speak(14);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(TimesHeard(recorder.Stop(), 14), 1);
}

TEST_F(SoundServerFaults, StalledAndResumedSpeechResumesAndNothingTwice) {
    ASSERT_TRUE(server.Start());
    StartAnnouncer();
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.Start());
    const int before = counting->Finished();
    announcer->Post(RequestKind::SecondCount, 27);
    ASSERT_TRUE(counting->WaitStarted(1));
    server.Stall();
    announcer->Post(RequestKind::SecondCount, 15); // waits behind the stalled count
    std::this_thread::sleep_for(1500ms);
    server.Resume();
    ASSERT_TRUE(counting->WaitFinished(before + 4));
    std::this_thread::sleep_for(300ms);
    const std::vector<std::int16_t> recording = recorder.Stop();
    EXPECT_EQ(TimesHeard(recording, 27), 1);
    EXPECT_EQ(TimesHeard(recording, 15), 1);
}

} // namespace
} // namespace lumivox
