// Recording what the test desktop's sound server plays, and finding known clips in it.
// The server's null sink "cap" plays s16le mono at 22050 Hz; its monitor is recorded
// with parec, which inherits PULSE_SERVER from the environment.
#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

#include "announcer/clipbank.h"

namespace lumivox::testing {

inline constexpr int kSinkRate = 22050; // samples per second, mono

// True when a test sound server is configured (PULSE_SERVER set), so recording the
// default sink would not listen to a developer's real speakers.
bool TestSoundServerConfigured();

class SinkRecorder {
public:
    explicit SinkRecorder(std::string source = "cap.monitor");
    ~SinkRecorder(); // stops a recording still running and drops it

    SinkRecorder(const SinkRecorder&) = delete;
    SinkRecorder& operator=(const SinkRecorder&) = delete;

    // Starts parec and returns once samples arrive (a new monitor stream stays mute
    // for about a second). False when parec did not start or delivered nothing.
    bool Start(std::chrono::milliseconds waitForData = std::chrono::seconds(10));
    // Stops parec (SIGINT, so it flushes) and returns everything recorded. With
    // LUMIVOX_KEEP_RECORDINGS=DIR the raw recording is also kept in DIR.
    std::vector<std::int16_t> Stop();

private:
    std::string source_;
    std::string file_;
    pid_t pid_ = -1;
};

// The samples of a clip image (16-bit PCM, first channel); empty for anything else.
std::vector<std::int16_t> ClipSamples(ClipHandle clip);

struct SequenceMatch {
    bool found = false;
    std::size_t start = 0; // first sample of the first clip
    std::size_t end = 0;   // one past the last sample of the last clip
    std::vector<std::size_t> clipStarts;
    std::vector<double> correlations; // normalised, per clip: 1 is an exact copy
    double Weakest() const;
};

// The recording without the runs of exact zeros (at least minRun long) that the
// server fills in while a stream is starting or has run dry: what was played, with
// the timing taken out. Recorded speech has no such runs.
std::vector<std::int16_t> WithoutInsertedSilence(const std::vector<std::int16_t>& samples,
                                                 std::size_t minRun = 8);

// Finds clips played one after another in a recording, searching from sample
// `from`: the first clip anywhere after it, each next clip within maxGap samples of
// the end of the one before. found is false when a clip has no place to fit.
SequenceMatch FindClipSequence(const std::vector<std::int16_t>& recording,
                               const std::vector<std::vector<std::int16_t>>& clips,
                               std::size_t from = 0, std::size_t maxGap = kSinkRate / 2);

// In [begin, end): the first sample louder than threshold (end when none), and one
// past the last such sample (begin when none).
std::size_t FirstSound(const std::vector<std::int16_t>& samples, std::size_t begin, std::size_t end,
                       int threshold = 300);
std::size_t EndOfSound(const std::vector<std::int16_t>& samples, std::size_t begin, std::size_t end,
                       int threshold = 300);

} // namespace lumivox::testing
