#include "announcer/clipdecode.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "announcer/resample.h"
#include "announcer/wavfile.h"

namespace lumivox {

namespace {

constexpr int kMinRate = 8000;
constexpr int kMaxRate = 96000;
constexpr float kSilence = 0.001f; // sox's "0.1%"

enum class Encoding { None, Integer, Float };

Encoding EncodingOf(const WaveData& wave) {
    const std::uint16_t tag = wave.formatTag == 0xFFFE ? wave.subFormat : wave.formatTag;
    const int bits = wave.bitsPerSample;
    if (tag == 1 && (bits == 8 || bits == 16 || bits == 24 || bits == 32))
        return Encoding::Integer;
    if (tag == 3 && bits == 32)
        return Encoding::Float;
    return Encoding::None;
}

// The parsed image when every cap holds, else nullopt.
std::optional<WaveData> Usable(const std::uint8_t* data, std::size_t size) {
    if (size > kMaxClipFileBytes)
        return std::nullopt;
    auto wave = ParseWave(data, size);
    if (!wave || EncodingOf(*wave) == Encoding::None || wave->channels < 1 || wave->channels > 2 ||
        wave->sampleRate < kMinRate || wave->sampleRate > kMaxRate)
        return std::nullopt;
    const std::size_t frameBytes = std::size_t{wave->channels} * (wave->bitsPerSample / 8);
    const std::size_t frames = wave->sampleBytes / frameBytes;
    if (frames == 0 || frames > std::size_t{wave->sampleRate} * kMaxClipSeconds)
        return std::nullopt;
    return wave;
}

// One sample at p, in -1..1.
float SampleAt(const std::uint8_t* p, int bits, Encoding encoding) {
    if (encoding == Encoding::Float) {
        float f;
        std::memcpy(&f, p, 4);
        return std::isfinite(f) ? std::clamp(f, -1.0f, 1.0f) : 0.0f;
    }
    if (bits == 8) // unsigned, silence at 128
        return (static_cast<float>(p[0]) - 128.0f) / 128.0f;
    std::uint32_t u = 0;
    const int width = bits / 8;
    for (int i = 0; i < width; ++i)
        u |= static_cast<std::uint32_t>(p[i]) << (8 * (i + 4 - width)); // to the top
    return static_cast<float>(static_cast<double>(static_cast<std::int32_t>(u)) / 2147483648.0);
}

void PutU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

} // namespace

std::optional<std::vector<std::int16_t>> DecodeClip(const std::uint8_t* data, std::size_t size) {
    const auto wave = Usable(data, size);
    if (!wave)
        return std::nullopt;
    const Encoding encoding = EncodingOf(*wave);
    const int bits = wave->bitsPerSample;
    const std::size_t width = static_cast<std::size_t>(bits) / 8;
    const std::size_t channels = wave->channels;
    const std::size_t frames = wave->sampleBytes / (channels * width);
    std::vector<float> mono(frames);
    const std::uint8_t* p = wave->samples;
    for (std::size_t f = 0; f < frames; ++f) {
        float sum = 0.0f;
        for (std::size_t c = 0; c < channels; ++c, p += width)
            sum += SampleAt(p, bits, encoding);
        mono[f] = sum / static_cast<float>(channels);
    }
    // Trimmed before resampling: less to convert, and the joins are where sox put them.
    const auto loud = [](float v) { return std::abs(v) > kSilence; };
    const auto begin = std::find_if(mono.begin(), mono.end(), loud);
    if (begin == mono.end())
        return std::nullopt;
    const auto end = std::find_if(mono.rbegin(), mono.rend(), loud).base();
    mono = Resample(std::vector<float>(begin, end), static_cast<int>(wave->sampleRate), kClipRate);
    std::vector<std::int16_t> out(mono.size());
    std::transform(mono.begin(), mono.end(), out.begin(), [](float v) {
        return static_cast<std::int16_t>(
            std::lround(std::clamp(v * 32767.0f, -32768.0f, 32767.0f)));
    });
    if (out.empty())
        return std::nullopt;
    return out;
}

std::vector<std::uint8_t> ClipImage(const std::vector<std::int16_t>& samples) {
    const std::size_t bytes = samples.size() * 2; // at most 10 s: far below 4 GB
    const auto dataBytes = static_cast<std::uint32_t>(bytes);
    std::uint8_t header[44];
    std::memcpy(header, "RIFF", 4);
    PutU32(header + 4, 36 + dataBytes);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    PutU32(header + 16, 16);
    const std::uint8_t format[] = {1, 0, 1, 0}; // PCM, mono
    std::memcpy(header + 20, format, 4);
    PutU32(header + 24, kClipRate);
    PutU32(header + 28, kClipRate * 2);
    const std::uint8_t frame[] = {2, 0, 16, 0}; // 2-byte frames of 16 bits
    std::memcpy(header + 32, frame, 4);
    std::memcpy(header + 36, "data", 4);
    PutU32(header + 40, dataBytes);
    std::vector<std::uint8_t> image(std::begin(header), std::end(header));
    image.reserve(sizeof header + bytes);
    for (const std::int16_t v : samples) {
        const auto u = static_cast<std::uint16_t>(v);
        image.push_back(static_cast<std::uint8_t>(u));
        image.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return image;
}

} // namespace lumivox
