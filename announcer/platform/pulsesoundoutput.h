// Plays clips through PulseAudio's simple API, one at a time, abortable.
#pragma once
#ifndef _WIN32
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "announcer/clipbank.h"

struct pa_simple;

namespace lumivox {

class PulseSoundOutput : public SoundOutput {
public:
    explicit PulseSoundOutput(std::string applicationName = "Lumivox");
    ~PulseSoundOutput() override;

    void PlaySync(ClipHandle clip) override;
    void Abort() override;

private:
    bool EnsureStream(std::uint32_t rate, std::uint8_t channels);
    void CloseStream();

    std::string applicationName_;
    std::atomic<bool> aborted_{false};
    std::mutex playMutex_; // one clip at a time, whoever calls
    pa_simple* stream_ = nullptr;
    std::uint32_t streamRate_ = 0;
    std::uint8_t streamChannels_ = 0;
    // When the last clip finished draining; empty when the stream is new or was cut.
    std::optional<std::chrono::steady_clock::time_point> soundEnded_;
};

} // namespace lumivox
#endif
