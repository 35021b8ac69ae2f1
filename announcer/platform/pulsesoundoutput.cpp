#ifndef _WIN32
#include "announcer/platform/pulsesoundoutput.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "announcer/platform/defaultsound.h"
#include "announcer/wavfile.h"

namespace lumivox {

namespace {
// A server buffer long enough to ride out a busy machine; an abort flushes it, so
// it stays prompt (the wait below checks every 10 ms).
constexpr int kChunkMilliseconds = 20;
constexpr int kTargetLatencyMilliseconds = 250;
constexpr pa_usec_t kDrainStepMicroseconds = 10000;
// When a stream that has run dry starts again, the server rewinds to play it at
// once, and a recorder on the sink's monitor misses the first few milliseconds (up to
// about 6 ms measured here, 16 ms seen before). After a pause each clip is therefore
// led in by a little silence of its own, which is what gets lost instead. Its length
// is the whole of the delay a request sees beyond the sound server's own.
constexpr int kLeadInMilliseconds = 12;
constexpr auto kPauseBeforeLeadIn = std::chrono::milliseconds(40);
} // namespace

PulseSoundOutput::PulseSoundOutput(std::string applicationName, std::string library)
    : applicationName_(std::move(applicationName)), libraryName_(std::move(library)) {}

PulseSoundOutput::~PulseSoundOutput() {
    CloseStream();
}

bool PulseSoundOutput::EnsureLibrary() {
    if (!libraryLoaded_) {
        std::string why; // nothing is logged
        libraryLoaded_ = LoadPulseLibrary(libraryName_.c_str(), pulse_, why);
    }
    return *libraryLoaded_;
}

bool PulseSoundOutput::EnsureStream(std::uint32_t rate, std::uint8_t channels) {
    if (stream_ && streamRate_ == rate && streamChannels_ == channels)
        return true;
    CloseStream();
    if (!EnsureLibrary())
        return false;
    pa_sample_spec sampleFormat{};
    sampleFormat.format = PA_SAMPLE_S16LE;
    sampleFormat.rate = rate;
    sampleFormat.channels = channels;
    const std::uint32_t bytesPerSecond = rate * channels * 2;
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.tlength = bytesPerSecond * kTargetLatencyMilliseconds / 1000;
    attr.prebuf = static_cast<std::uint32_t>(-1);
    attr.minreq = static_cast<std::uint32_t>(-1);
    attr.fragsize = static_cast<std::uint32_t>(-1);
    int error = 0;
    stream_ = pulse_.simpleNew(nullptr, applicationName_.c_str(), PA_STREAM_PLAYBACK, nullptr,
                               "voice", &sampleFormat, nullptr, &attr, &error);
    if (!stream_)
        return false;
    streamRate_ = rate;
    streamChannels_ = channels;
    return true;
}

void PulseSoundOutput::CloseStream() {
    if (stream_)
        pulse_.simpleFree(stream_);
    stream_ = nullptr;
    streamRate_ = 0;
    streamChannels_ = 0;
    soundEnded_.reset();
}

void PulseSoundOutput::PlaySync(ClipHandle clip) {
    if (!clip || aborted_.load())
        return;
    const auto wave = ParseWave(clip.data, clip.size);
    if (!wave || wave->formatTag != 1 || wave->bitsPerSample != 16 || wave->channels == 0 ||
        wave->channels > 2 || wave->sampleRate == 0)
        return;
    std::lock_guard lock(playMutex_);
    if (!EnsureStream(wave->sampleRate, static_cast<std::uint8_t>(wave->channels)))
        return;
    const std::size_t frameBytes = 2u * wave->channels;
    const std::size_t chunkBytes = std::max<std::size_t>(frameBytes, wave->sampleRate * frameBytes *
                                                                         kChunkMilliseconds / 1000);
    const std::size_t total = wave->sampleBytes - wave->sampleBytes % frameBytes;
    int error = 0;
    if (!soundEnded_ || std::chrono::steady_clock::now() - *soundEnded_ > kPauseBeforeLeadIn) {
        const std::vector<std::uint8_t> silence(wave->sampleRate * kLeadInMilliseconds / 1000 *
                                                frameBytes); // whole frames only
        if (pulse_.simpleWrite(stream_, silence.data(), silence.size(), &error) < 0) {
            CloseStream();
            return;
        }
    }
    soundEnded_.reset();
    for (std::size_t at = 0; at < total; at += chunkBytes) {
        if (aborted_.load()) {
            pulse_.simpleFlush(stream_, &error);
            return;
        }
        const std::size_t n = std::min(chunkBytes, total - at);
        if (pulse_.simpleWrite(stream_, wave->samples + at, n, &error) < 0) {
            CloseStream(); // the server went away; try a new connection next time
            return;
        }
    }
    // The server may take the whole clip at once; wait out what it holds in small
    // steps so that an abort still cuts it off promptly, then drain the rest (about
    // the sink's own latency, which the reported figure never falls below).
    const pa_usec_t queued = pulse_.simpleGetLatency(stream_, &error);
    if (queued != static_cast<pa_usec_t>(-1)) {
        const auto heard = std::chrono::steady_clock::now() + std::chrono::microseconds(queued);
        while (std::chrono::steady_clock::now() +
                   std::chrono::microseconds(kDrainStepMicroseconds) <
               heard) {
            if (aborted_.load()) {
                pulse_.simpleFlush(stream_, &error);
                return;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(kDrainStepMicroseconds));
        }
    }
    if (aborted_.load()) {
        pulse_.simpleFlush(stream_, &error);
        return;
    }
    if (pulse_.simpleDrain(stream_, &error) < 0) {
        CloseStream();
        return;
    }
    soundEnded_ = std::chrono::steady_clock::now();
}

void PulseSoundOutput::ReleaseStream() {
    std::lock_guard lock(playMutex_);
    CloseStream();
}

void PulseSoundOutput::Abort() {
    aborted_.store(true);
}

std::shared_ptr<SoundOutput> CreateDefaultSoundOutput() {
    return std::make_shared<PulseSoundOutput>();
}

} // namespace lumivox
#endif
