#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "announcer/request.h"
#include "announcer/sequences.h"
#include "fakesound.h"

namespace lumivox {
namespace {

using testing::NumberedClipSource;
using testing::RecordingSound;

struct Reading {
    std::int32_t kind;
    std::int32_t value;
    std::vector<int> clips;
};

std::string Describe(const Reading& r) {
    return "kind " + std::to_string(r.kind) + " value " + std::to_string(r.value);
}

// Plays a request through the named sequence the announcer uses for its kind.
void PlayNamed(const ClipBank& bank, SoundOutput& out, std::int32_t kind, std::int32_t value) {
    switch (kind) {
    case RequestKind::SpeakTime:
        SpeakTime(bank, out, value / 1000, value % 1000);
        break;
    case RequestKind::SecondCount:
        SpeakSecondCount(bank, out, value);
        break;
    case RequestKind::MinuteCount:
        SpeakMinuteCount(bank, out, value);
        break;
    case RequestKind::Cue:
        PlayCue(bank, out, value);
        break;
    default:
        SpeakRequest(bank, out, kind, value);
        break;
    }
}

const Reading kReadings[] = {
    // The time: preamble 11 12 10 13, the hour, 14, then 15 on the hour or 16 at half past.
    {1, 8000, {11, 12, 10, 13, 8, 14, 15}},
    {1, 14030, {11, 12, 10, 13, 10, 4, 14, 16}},
    {1, 20000, {11, 12, 10, 13, 2, 10, 14, 15}},
    {1, 23030, {11, 12, 10, 13, 2, 10, 3, 14, 16}},
    {1, 0, {11, 12, 10, 13, 0, 14, 15}},
    {1, 10030, {11, 12, 10, 13, 10, 14, 16}},
    {1, 11000, {11, 12, 10, 13, 10, 1, 14, 15}},
    {1, 21059, {11, 12, 10, 13, 2, 10, 1, 14, 5, 10, 9, 20}},
    // Any other minute: its number and 20 (十四点二十三分, 十四点零五分, 十四点十五分).
    {1, 14023, {11, 12, 10, 13, 10, 4, 14, 2, 10, 3, 20}},
    {1, 14005, {11, 12, 10, 13, 10, 4, 14, 0, 5, 20}},
    {1, 14015, {11, 12, 10, 13, 10, 4, 14, 10, 5, 20}},
    {1, 14010, {11, 12, 10, 13, 10, 4, 14, 10, 20}},
    {1, 23060, {}},
    {1, 24000, {}},
    {1, -30, {}},
    {1, -1000, {}},
    {1, INT_MAX, {}},
    {1, INT_MIN, {}},
    // Minute counts: lead-in 18 19, the number with the tens word, closing 20 21.
    {3, 1, {18, 19, 1, 20, 21}},
    {3, 10, {18, 19, 10, 20, 21}},
    {3, 15, {18, 19, 10, 5, 20, 21}},
    {3, 21, {18, 19, 2, 10, 1, 20, 21}},
    {3, 25, {18, 19, 2, 10, 5, 20, 21}},
    {3, 30, {18, 19, 3, 10, 20, 21}},
    {3, 99, {18, 19, 9, 10, 9, 20, 21}},
    {3, 0, {}},
    {3, -7, {}},
    {3, INT_MIN, {}},
    // 100 and more: digit by digit between the same phrases.
    {3, 100, {18, 19, 1, 0, 0, 20, 21}},
    {3, 120, {18, 19, 1, 2, 0, 20, 21}},
    {3, INT_MAX, {18, 19, 2, 1, 4, 7, 4, 8, 3, 6, 4, 7, 20, 21}},
    // Second counts: at most two clips, no tens word between two non-zero digits.
    {2, 7, {7}},
    {2, 10, {10}},
    {2, 15, {10, 5}},
    {2, 20, {2, 10}},
    {2, 21, {2, 1}},
    {2, 25, {2, 5}},
    {2, 27, {2, 7}},
    {2, 99, {9, 9}},
    {2, 0, {}},
    {2, -1, {}},
    {2, INT_MIN, {}},
    {2, 100, {1, 0, 0}},
    {2, 105, {1, 0, 5}},
    {2, INT_MAX, {2, 1, 4, 7, 4, 8, 3, 6, 4, 7}},
    // Cues: clip k - 1.
    {4, 0, {}},
    {4, 1, {0}},
    {4, 22, {21}},
    {4, 23, {22}},
    {4, 24, {}},
    {4, -1, {}},
    {4, INT_MAX, {}},
    {4, INT_MIN, {}},
    // Kinds with no sequence.
    {0, 1, {}},
    {5, 1, {}},
    {-1, -1, {}},
};

TEST(Sequences, EveryReadingListsAndPlaysItsClipsInOrder) {
    NumberedClipSource source;
    ClipBank bank;
    bank.LoadAll(source);
    for (const Reading& r : kReadings) {
        SCOPED_TRACE(Describe(r));
        EXPECT_EQ(RequestClips(r.kind, r.value), r.clips);
        RecordingSound sound(source);
        PlayNamed(bank, sound, r.kind, r.value);
        EXPECT_EQ(sound.Heard(), r.clips);
    }
}

TEST(Sequences, NoValueOfAnyKindComputesAClipOutsideTheBank) {
    std::vector<std::int32_t> values = {INT_MIN, INT_MIN + 1, INT_MIN + 999, INT_MAX - 1,
                                        INT_MAX, -2147483,    2147483,       2147483000};
    for (std::int32_t v = -1000; v <= 100000; ++v)
        values.push_back(v);
    for (const std::int32_t kind : {1, 2, 3, 4}) {
        int spoken = 0;
        for (const std::int32_t v : values) {
            const ClipList clips = RequestClips(kind, v);
            spoken += clips.empty() ? 0 : 1;
            for (const int k : clips) {
                if (k < 0 || k >= kClipCount)
                    FAIL() << "kind " << kind << " value " << v << " gives clip " << k;
            }
        }
        EXPECT_GT(spoken, 0) << "kind " << kind;
    }
}

} // namespace
} // namespace lumivox
