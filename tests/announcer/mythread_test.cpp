#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <memory>
#include <thread>
#include <vector>

#include "announcer/mythread.h"
#include "announcer/request.h"
#include "fakesound.h"

namespace lumivox {
namespace {

using testing::NumberedClipSource;
using testing::RecordingSound;
using namespace std::chrono_literals;

const std::vector<int> kTime1403 = {11, 12, 10, 13, 10, 4, 14, 16};

std::vector<int> Joined(std::initializer_list<std::vector<int>> parts) {
    std::vector<int> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// Waits (generously) until the thread has ended, seen through the refused post of
// a message the thread would ignore anyway.
bool WaitUntilEnded(TMyThread& thread) {
    const auto limit = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < limit) {
        if (!thread.PostThreadMessage(0x0400, 0, 0))
            return true;
        std::this_thread::sleep_for(5ms);
    }
    return false;
}

class AnnouncerThread : public ::testing::Test {
protected:
    AnnouncerThread() { bank.LoadAll(source); }

    NumberedClipSource source;
    ClipBank bank;
};

TEST_F(AnnouncerThread, SpeaksRequestsInArrivalOrderIncludingThosePostedBeforeResume) {
    RecordingSound sound(source);
    TMyThread announcer(bank, sound);
    announcer.Post(RequestKind::Cue, 22);
    announcer.Post(RequestKind::SecondCount, 27);
    announcer.Resume();
    announcer.Post(RequestKind::MinuteCount, 21);
    announcer.Post(RequestKind::SpeakTime, 14030);
    announcer.Post(RequestKind::SecondCount, 15);

    const std::vector<int> expected =
        Joined({{21}, {2, 7}, {18, 19, 2, 10, 1, 20, 21}, kTime1403, {10, 5}});
    ASSERT_TRUE(sound.WaitForHeard(expected.size()));
    announcer.Shutdown();
    EXPECT_EQ(sound.Heard(), expected);
}

TEST_F(AnnouncerThread, VolumeAppliesToLaterSpeechAndMuteLetsTheStreamGo) {
    RecordingSound sound(source);
    TMyThread announcer(bank, sound);
    announcer.Post(RequestKind::Cue, 2);     // before any volume: as recorded
    announcer.Post(RequestKind::Volume, 50); // clip 2's sample 1002 is heard as 501
    announcer.Post(RequestKind::Cue, 3);
    announcer.Post(RequestKind::Volume, 0); // muted: nothing is played at all
    announcer.Post(RequestKind::SecondCount, 27);
    announcer.Post(RequestKind::Volume, -7); // clamped to 0
    announcer.Post(RequestKind::Volume, 33); // 1003 * 0.33 = 330.99
    announcer.Post(RequestKind::Cue, 4);
    announcer.Post(RequestKind::Volume, 250); // clamped to 100: the image itself again
    announcer.Post(RequestKind::Cue, 5);
    announcer.Resume();

    ASSERT_TRUE(sound.WaitForHeard(4));
    announcer.Shutdown();
    EXPECT_EQ(sound.Heard(), (std::vector<int>{1, -1, -1, 4}));
    EXPECT_EQ(sound.FirstSamples(), (std::vector<int>{1001, 501, 331, 1004}));
    EXPECT_EQ(sound.StreamsReleased(), 2);
}

TEST_F(AnnouncerThread, TimeRequestWaitsForTheSecondCountBeingSpoken) {
    RecordingSound sound(source, /*held=*/true);
    TMyThread announcer(bank, sound);
    announcer.Resume();
    announcer.Post(RequestKind::SecondCount, 27);
    ASSERT_TRUE(sound.WaitForHeard(1)); // clip 2 is sounding and held
    announcer.Post(RequestKind::SpeakTime, 14030);
    std::this_thread::sleep_for(50ms); // room for a wrong implementation to jump ahead
    EXPECT_EQ(sound.Heard(), std::vector<int>{2});

    sound.Release();
    const std::vector<int> expected = Joined({{2, 7}, kTime1403});
    ASSERT_TRUE(sound.WaitForHeard(expected.size()));
    announcer.Shutdown();
    EXPECT_EQ(sound.Heard(), expected);
}

TEST_F(AnnouncerThread, IgnoresForeignMessagesUnknownKindsAndHalfAQuit) {
    RecordingSound sound(source);
    TMyThread announcer(bank, sound);
    announcer.Resume();
    EXPECT_TRUE(announcer.PostThreadMessage(0x83E9, RequestKind::Cue, 5));
    EXPECT_TRUE(announcer.PostThreadMessage(0x0012, -1, -1)); // quit fields, wrong number
    announcer.Post(RequestKind::Quit, 5);
    announcer.Post(5, -1);
    announcer.Post(-1, 0);
    announcer.Post(INT_MIN, -1);
    announcer.Post(0, 22);
    announcer.Post(RequestKind::Cue, 1);
    announcer.Post(RequestKind::Cue, 22);

    ASSERT_TRUE(sound.WaitForHeard(2));
    EXPECT_FALSE(announcer.Terminated());
    EXPECT_TRUE(announcer.PostThreadMessage(lumivox::kAnnouncerMessage, RequestKind::Cue, 23));
    ASSERT_TRUE(sound.WaitForHeard(3));
    announcer.Shutdown();
    EXPECT_EQ(sound.Heard(), (std::vector<int>{0, 21, 22}));
}

TEST_F(AnnouncerThread, QuitRequestEndsTheThreadAndLaterRequestsAreRefused) {
    RecordingSound sound(source);
    TMyThread announcer(bank, sound);
    announcer.Resume();
    announcer.Post(RequestKind::Cue, 1);
    announcer.Post(RequestKind::Quit, -1);
    announcer.Post(RequestKind::Cue, 2); // queued behind the quit: never spoken

    ASSERT_TRUE(WaitUntilEnded(announcer));
    EXPECT_TRUE(announcer.Terminated());
    EXPECT_FALSE(announcer.PostThreadMessage(lumivox::kAnnouncerMessage, RequestKind::Cue, 3));
    announcer.Shutdown();
    EXPECT_EQ(sound.Heard(), std::vector<int>{0});
}

TEST_F(AnnouncerThread, TerminateFlagEndsTheThreadBeforeItsNextMessage) {
    RecordingSound sound(source, /*held=*/true);
    TMyThread announcer(bank, sound);
    announcer.Resume();
    announcer.Post(RequestKind::Cue, 1);
    announcer.Post(RequestKind::Cue, 2);
    ASSERT_TRUE(sound.WaitForHeard(1));
    announcer.Terminate();
    sound.Release(); // clip 0 ends; the flag is seen before the next request
    ASSERT_TRUE(WaitUntilEnded(announcer));
    EXPECT_EQ(sound.Heard(), std::vector<int>{0});
}

TEST_F(AnnouncerThread, ShutdownCutsTheClipAndSpeaksNothingMoreOfTheQueue) {
    RecordingSound sound(source, /*held=*/true); // every clip sounds until aborted
    TMyThread announcer(bank, sound);
    announcer.Resume();
    for (int i = 0; i < 5; ++i)
        announcer.Post(RequestKind::SpeakTime, 14030);
    ASSERT_TRUE(sound.WaitForHeard(1));

    const auto start = std::chrono::steady_clock::now();
    announcer.Shutdown();
    const auto took = std::chrono::steady_clock::now() - start;
    std::printf("Shutdown with five time announcements queued took %.1f ms\n",
                std::chrono::duration<double, std::milli>(took).count());

    EXPECT_EQ(sound.Heard(), std::vector<int>{11});
    // At most the rest of the announcement that was cut: no later request is started.
    EXPECT_LE(sound.SilentPlays(), static_cast<int>(kTime1403.size()) - 1);
    EXPECT_FALSE(announcer.PostThreadMessage(lumivox::kAnnouncerMessage, RequestKind::Cue, 1));
    announcer.Shutdown(); // a second call is harmless
}

TEST_F(AnnouncerThread, ShutdownWithoutResumeOrFromTheDestructorEnds) {
    {
        RecordingSound sound(source);
        TMyThread never(bank, sound);
        never.Post(RequestKind::Cue, 1);
        never.Shutdown();
        never.Resume(); // too late: stays ended
        EXPECT_FALSE(never.PostThreadMessage(lumivox::kAnnouncerMessage, RequestKind::Cue, 1));
        EXPECT_TRUE(sound.Heard().empty());
    }
    RecordingSound sound(source, /*held=*/true);
    {
        TMyThread announcer(bank, sound);
        announcer.Resume();
        announcer.Post(RequestKind::MinuteCount, 25);
        announcer.Post(RequestKind::MinuteCount, 25);
        ASSERT_TRUE(sound.WaitForHeard(1));
    } // the destructor shuts down and joins
    EXPECT_EQ(sound.Heard(), std::vector<int>{18});
}

TEST_F(AnnouncerThread, ShutdownLeavesAThreadStuckInTheSoundServerWhichEndsSafelyLater) {
    auto sound = std::make_shared<RecordingSound>(source, /*held=*/true, /*stuck=*/true);
    {
        TMyThread announcer(bank, sound);
        announcer.Resume();
        announcer.Post(RequestKind::SecondCount, 27);
        ASSERT_TRUE(sound->WaitForHeard(1));
        EXPECT_FALSE(announcer.Shutdown()); // returns although the play never does
    }
    bank.ReleaseAll(); // the window's bank goes; the thread plays from its own
    sound->Release();  // the server wakes up; the cut announcement ends silently
    const auto limit = std::chrono::steady_clock::now() + 20s;
    while (sound.use_count() > 1 && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(5ms);
    EXPECT_EQ(sound.use_count(), 1); // the thread let go of the output as it ended
    EXPECT_EQ(sound->Heard(), std::vector<int>{2});
}

} // namespace
} // namespace lumivox
