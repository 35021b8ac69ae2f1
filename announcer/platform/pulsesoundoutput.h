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
#include "announcer/platform/pulselibrary.h"

namespace lumivox {

class PulseSoundOutput : public SoundOutput {
public:
    // The library is opened at the first clip; without it, or without a sound server,
    // nothing is played and each call returns at once.
    explicit PulseSoundOutput(std::string applicationName = "Lumivox",
                              std::string library = kPulseSimpleLibrary);
    ~PulseSoundOutput() override;

    void PlaySync(ClipHandle clip) override;
    void Abort() override;
    // Closes the stream, so a muted program holds none on the server.
    void ReleaseStream() override;

private:
    bool EnsureLibrary();
    bool EnsureStream(std::uint32_t rate, std::uint8_t channels);
    void CloseStream();

    std::string applicationName_;
    std::string libraryName_;
    PulseLibrary pulse_;
    // Set once the library was tried: a missing one stays missing until the next run.
    std::optional<bool> libraryLoaded_;
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
