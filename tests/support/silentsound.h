// A sound output for tests: plays nothing, remembers what it was asked to play.
#pragma once
#include <mutex>
#include <vector>

#include "announcer/clipbank.h"

namespace lumivox::testing {

class SilentSound : public SoundOutput {
public:
    void PlaySync(ClipHandle clip) override {
        std::lock_guard lock(mutex_);
        played_.push_back(clip.data);
    }
    void Abort() override {}
    std::vector<const std::uint8_t*> Played() const {
        std::lock_guard lock(mutex_);
        return played_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<const std::uint8_t*> played_;
};

} // namespace lumivox::testing
