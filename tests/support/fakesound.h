// Stand-ins for the clip resources and the sound device: each clip is a distinct
// image, a wave of one sample, and the sound output records which clips were heard,
// in order.
#pragma once
#include <array>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "announcer/clipbank.h"
#include "announcer/wavfile.h"

namespace lumivox::testing {

// Clip i is 16-bit mono whose one sample is 1000 + i.
class NumberedClipSource : public ClipSource {
public:
    static constexpr std::size_t kImageSize = 46;

    NumberedClipSource() {
        // RIFF, WAVE, a 16-byte "fmt " (PCM, 1 channel, 22050 Hz, 16 bits), 2 bytes of data.
        static constexpr std::uint8_t kHeader[44] = {
            'R', 'I', 'F', 'F', 38, 0, 0,   0,   'W', 'A',  'V',  'E', 'f', 'm',  't',
            ' ', 16,  0,   0,   0,  1, 0,   1,   0,   0x22, 0x56, 0,   0,   0x44, 0xAC,
            0,   0,   2,   0,   16, 0, 'd', 'a', 't', 'a',  2,    0,   0,   0};
        for (int i = 0; i < kClipCount; ++i) {
            auto& image = bytes_[static_cast<std::size_t>(i)];
            std::memcpy(image.data(), kHeader, sizeof kHeader);
            image[44] = static_cast<std::uint8_t>((1000 + i) & 0xFF);
            image[45] = static_cast<std::uint8_t>((1000 + i) >> 8);
        }
    }

    ClipHandle FindClip(const std::string& type, const std::string& name) const override {
        if (type != "WAV")
            return {};
        for (int i = 0; i < kClipCount; ++i) {
            if (name == ClipResourceName(i))
                return {bytes_[static_cast<std::size_t>(i)].data(), kImageSize};
        }
        return {};
    }

    // The clip index an image came from, or -1 for a foreign image.
    int IndexOf(ClipHandle clip) const {
        for (int i = 0; i < kClipCount; ++i) {
            if (clip.data == bytes_[static_cast<std::size_t>(i)].data())
                return i;
        }
        return -1;
    }

private:
    std::array<std::array<std::uint8_t, kImageSize>, kClipCount> bytes_{};
};

// Records the clips heard (-1 for an image not the source's own) and the first sample
// of each, and counts the streams released. While held, every play blocks until Release() or
// Abort(), like a long clip that is still sounding. After Abort() plays return at once, silent. A
// stuck output is a stalled sound server: only Release() frees its play.
class RecordingSound : public SoundOutput {
public:
    explicit RecordingSound(const NumberedClipSource& source, bool held = false, bool stuck = false)
        : source_(source), held_(held), stuck_(stuck) {}

    void PlaySync(ClipHandle clip) override {
        std::unique_lock lock(mutex_);
        if (aborted_) {
            ++silentPlays_;
            return;
        }
        heard_.push_back(source_.IndexOf(clip));
        const auto wave = ParseWave(clip.data, clip.size);
        std::int16_t first = 0;
        if (wave && wave->bitsPerSample == 16 && wave->sampleBytes >= 2)
            std::memcpy(&first, wave->samples, 2);
        firstSamples_.push_back(wave ? first : INT_MIN);
        changed_.notify_all();
        changed_.wait(lock, [this] { return !held_ || (aborted_ && !stuck_); });
    }

    void Abort() override {
        std::lock_guard lock(mutex_);
        aborted_ = true;
        changed_.notify_all();
    }

    void ReleaseStream() override {
        std::lock_guard lock(mutex_);
        ++streamsReleased_;
    }

    void Release() {
        std::lock_guard lock(mutex_);
        held_ = false;
        changed_.notify_all();
    }

    std::vector<int> Heard() const {
        std::lock_guard lock(mutex_);
        return heard_;
    }

    std::vector<int> FirstSamples() const {
        std::lock_guard lock(mutex_);
        return firstSamples_;
    }

    int StreamsReleased() const {
        std::lock_guard lock(mutex_);
        return streamsReleased_;
    }

    int SilentPlays() const {
        std::lock_guard lock(mutex_);
        return silentPlays_;
    }

    // True once at least count clips have started; false after a generous wait.
    bool WaitForHeard(std::size_t count,
                      std::chrono::milliseconds limit = std::chrono::seconds(20)) const {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return heard_.size() >= count; });
    }

private:
    const NumberedClipSource& source_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool held_;
    const bool stuck_;
    bool aborted_ = false;
    int silentPlays_ = 0;
    int streamsReleased_ = 0;
    std::vector<int> heard_;
    std::vector<int> firstSamples_;
};

} // namespace lumivox::testing
