// The four spoken announcements as lists of clip indices, and their playing.
// Every list holds only indices 0..22, whatever the input.
#pragma once
#include <cstdint>
#include <vector>

#include "announcer/clipbank.h"

namespace lumivox {

using ClipList = std::vector<int>;

// The time of day; empty unless hour is 0..23 and minute 0..59. On the hour it ends in
// "整", on the half hour in "半", at any other minute in the minute's number and "分".
ClipList TimeClips(std::int32_t hour, std::int32_t minute);
// Seconds remaining: at most two clips for 1..99, no lead-in; empty for n < 1.
ClipList SecondCountClips(std::int32_t n);
// Minutes remaining, between the lead-in and closing phrases; empty for n < 1.
ClipList MinuteCountClips(std::int32_t n);
// Clip k - 1 for k in 1..23; empty otherwise.
ClipList CueClips(std::int32_t k);

// The announcer request (kind, value) as clips: kind 1 is the time with
// value = hour * 1000 + minute, 2 a second count, 3 a minute count, 4 a cue.
// Any other kind speaks nothing.
ClipList RequestClips(std::int32_t kind, std::int32_t value);

// Plays the clips one after another, each to its end, with no gap.
void PlayClips(const ClipBank& bank, SoundOutput& output, const ClipList& clips);

void SpeakTime(const ClipBank& bank, SoundOutput& output, std::int32_t hour, std::int32_t minute);
void SpeakSecondCount(const ClipBank& bank, SoundOutput& output, std::int32_t n);
void SpeakMinuteCount(const ClipBank& bank, SoundOutput& output, std::int32_t n);
void PlayCue(const ClipBank& bank, SoundOutput& output, std::int32_t k);
void SpeakRequest(const ClipBank& bank, SoundOutput& output, std::int32_t kind, std::int32_t value);

} // namespace lumivox
