// Stand-ins for the clip resources and the sound device: each clip is a distinct
// one-byte image, and the sound output records which clips were heard, in order.
#pragma once
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "announcer/clipbank.h"

namespace lumivox::testing {

class NumberedClipSource : public ClipSource {
public:
    NumberedClipSource() {
        for (int i = 0; i < kClipCount; ++i)
            bytes_[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    }

    ClipHandle FindClip(const std::string& type, const std::string& name) const override {
        if (type != "WAV")
            return {};
        for (int i = 0; i < kClipCount; ++i) {
            if (name == ClipResourceName(i))
                return {&bytes_[static_cast<std::size_t>(i)], 1};
        }
        return {};
    }

    // The clip index an image came from, or -1 for a foreign image.
    int IndexOf(ClipHandle clip) const {
        for (int i = 0; i < kClipCount; ++i) {
            if (clip.data == &bytes_[static_cast<std::size_t>(i)])
                return i;
        }
        return -1;
    }

private:
    std::array<std::uint8_t, kClipCount> bytes_{};
};

// Records the clips heard. While held, every play blocks until Release() or Abort(),
// like a long clip that is still sounding. After Abort() plays return at once, silent.
// A stuck output is a stalled sound server: only Release() frees its play.
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
        changed_.notify_all();
        changed_.wait(lock, [this] { return !held_ || (aborted_ && !stuck_); });
    }

    void Abort() override {
        std::lock_guard lock(mutex_);
        aborted_ = true;
        changed_.notify_all();
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
    std::vector<int> heard_;
};

} // namespace lumivox::testing
