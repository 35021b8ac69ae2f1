#include "announcer/sequences.h"

#include <algorithm>
#include <iterator>

#include "announcer/request.h"

namespace lumivox {

namespace {

constexpr int kTen = 10;
constexpr int kTimePreamble[] = {11, 12, 10, 13};
constexpr int kAfterHour = 14;
constexpr int kOnTheHour = 15;
constexpr int kPastTheHour = 16;
constexpr int kMinuteLeadIn[] = {18, 19};
constexpr int kMinuteClose[] = {20, 21};
constexpr int kMinuteWord = 20;

// Counts of 100 and more have no spoken form in the clip set: they are read
// digit by digit (120 is "one two zero"). n must be positive.
void AppendDigits(ClipList& clips, std::int32_t n) {
    const std::size_t first = clips.size();
    for (; n > 0; n /= 10)
        clips.push_back(n % 10);
    std::reverse(clips.begin() + static_cast<std::ptrdiff_t>(first), clips.end());
}

// The minute count's reading of 1..99: the tens word is spoken in every number from 10 up.
void AppendMinuteNumber(ClipList& clips, std::int32_t n) {
    const int tens = n / 10;
    const int units = n % 10;
    if (tens >= 2) {
        clips.push_back(tens);
        clips.push_back(kTen);
    } else if (tens == 1) {
        clips.push_back(kTen);
    }
    if (units > 0)
        clips.push_back(units);
}

} // namespace

ClipList TimeClips(std::int32_t hour, std::int32_t minute) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59)
        return {};
    ClipList clips(std::begin(kTimePreamble), std::end(kTimePreamble));
    // 0..10 are one clip each; from 11 on the hour reads as a minute count does.
    if (hour <= 10)
        clips.push_back(hour);
    else
        AppendMinuteNumber(clips, hour);
    clips.push_back(kAfterHour);
    if (minute == 0 || minute == 30) {
        clips.push_back(minute == 0 ? kOnTheHour : kPastTheHour);
        return clips;
    }
    // Any other minute by its number and the minute word; 1..9 with a zero before it,
    // as a clock reads them ("零五分").
    if (minute < 10)
        clips.push_back(0);
    AppendMinuteNumber(clips, minute);
    clips.push_back(kMinuteWord);
    return clips;
}

ClipList SecondCountClips(std::int32_t n) {
    ClipList clips;
    if (n < 1)
        return clips;
    if (n >= 100) {
        AppendDigits(clips, n);
        return clips;
    }
    const int tens = n / 10;
    const int units = n % 10;
    if (tens >= 2) {
        // Two clips at most: "two five" for 25, "two ten" for 20.
        clips.push_back(tens);
        clips.push_back(units == 0 ? kTen : units);
    } else if (tens == 1) {
        clips.push_back(kTen);
        if (units > 0)
            clips.push_back(units);
    } else {
        clips.push_back(units);
    }
    return clips;
}

ClipList MinuteCountClips(std::int32_t n) {
    ClipList clips;
    if (n < 1)
        return clips;
    clips.assign(std::begin(kMinuteLeadIn), std::end(kMinuteLeadIn));
    if (n >= 100)
        AppendDigits(clips, n);
    else
        AppendMinuteNumber(clips, n);
    clips.insert(clips.end(), std::begin(kMinuteClose), std::end(kMinuteClose));
    return clips;
}

ClipList CueClips(std::int32_t k) {
    if (k < 1 || k > kClipCount)
        return {};
    return {k - 1};
}

ClipList RequestClips(std::int32_t kind, std::int32_t value) {
    switch (kind) {
    case RequestKind::SpeakTime:
        // Division truncates toward zero, so no value overflows here.
        return TimeClips(value / 1000, value % 1000);
    case RequestKind::SecondCount:
        return SecondCountClips(value);
    case RequestKind::MinuteCount:
        return MinuteCountClips(value);
    case RequestKind::Cue:
        return CueClips(value);
    default:
        return {};
    }
}

void PlayClips(const ClipBank& bank, SoundOutput& output, const ClipList& clips) {
    for (const int k : clips)
        PlayClip(bank, output, k);
}

void SpeakTime(const ClipBank& bank, SoundOutput& output, std::int32_t hour, std::int32_t minute) {
    PlayClips(bank, output, TimeClips(hour, minute));
}

void SpeakSecondCount(const ClipBank& bank, SoundOutput& output, std::int32_t n) {
    PlayClips(bank, output, SecondCountClips(n));
}

void SpeakMinuteCount(const ClipBank& bank, SoundOutput& output, std::int32_t n) {
    PlayClips(bank, output, MinuteCountClips(n));
}

void PlayCue(const ClipBank& bank, SoundOutput& output, std::int32_t k) {
    PlayClips(bank, output, CueClips(k));
}

void SpeakRequest(const ClipBank& bank, SoundOutput& output, std::int32_t kind,
                  std::int32_t value) {
    PlayClips(bank, output, RequestClips(kind, value));
}

} // namespace lumivox
