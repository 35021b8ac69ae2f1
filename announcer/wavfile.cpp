#include "announcer/wavfile.h"

#include <algorithm>
#include <cstring>

namespace lumivox {

namespace {

std::uint32_t ReadU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t ReadU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

bool IsTag(const std::uint8_t* p, const char* tag) {
    return std::memcmp(p, tag, 4) == 0;
}

// The INAM sub-chunk of a LIST/INFO chunk, without its terminating zeros.
std::string FindInfoName(const std::uint8_t* p, std::size_t size) {
    if (size < 4 || !IsTag(p, "INFO"))
        return {};
    std::size_t at = 4;
    while (size - at >= 8) {
        const std::size_t len = std::min<std::size_t>(ReadU32(p + at + 4), size - at - 8);
        if (IsTag(p + at, "INAM")) {
            std::string name(reinterpret_cast<const char*>(p + at + 8), len);
            name.erase(std::find(name.begin(), name.end(), '\0'), name.end());
            return name;
        }
        at += 8 + len + (len & 1);
        if (at > size)
            break;
    }
    return {};
}

// Rounds half away from zero, so quiet passages get no bias towards either side.
std::int64_t Scale(std::int64_t v, std::int64_t percent) {
    const std::int64_t n = v * percent;
    return (n >= 0 ? n + 50 : n - 50) / 100;
}

} // namespace

double WaveData::Seconds() const {
    const std::size_t frameBytes = static_cast<std::size_t>(channels) * (bitsPerSample / 8);
    if (frameBytes == 0 || sampleRate == 0)
        return 0.0;
    return static_cast<double>(sampleBytes / frameBytes) / sampleRate;
}

std::optional<WaveData> ParseWave(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size < 12 || !IsTag(data, "RIFF") || !IsTag(data + 8, "WAVE"))
        return std::nullopt;
    WaveData wave;
    bool haveFormat = false;
    bool haveData = false;
    std::size_t at = 12;
    while (size - at >= 8) {
        const std::uint8_t* chunk = data + at;
        const std::size_t len = std::min<std::size_t>(ReadU32(chunk + 4), size - at - 8);
        const std::uint8_t* body = chunk + 8;
        if (IsTag(chunk, "fmt ") && len >= 16) {
            wave.formatTag = ReadU16(body);
            wave.channels = ReadU16(body + 2);
            wave.sampleRate = ReadU32(body + 4);
            wave.bitsPerSample = ReadU16(body + 14);
            // Extensible: the first two bytes of the sub-format GUID are the real tag.
            wave.subFormat = wave.formatTag == 0xFFFE && len >= 40 ? ReadU16(body + 24) : 0;
            haveFormat = true;
        } else if (IsTag(chunk, "data") && !haveData) {
            wave.samples = body;
            wave.sampleBytes = len;
            haveData = true;
        } else if (IsTag(chunk, "LIST")) {
            std::string name = FindInfoName(body, len);
            if (!name.empty())
                wave.infoName = std::move(name);
        }
        at += 8 + len + (len & 1);
        if (at > size)
            break;
    }
    if (!haveFormat || !haveData)
        return std::nullopt;
    return wave;
}

int ClampVolume(std::int32_t percent) {
    return std::clamp<std::int32_t>(percent, 0, 100);
}

std::vector<std::uint8_t> ScaledWave(const std::uint8_t* data, std::size_t size,
                                     std::int32_t percent) {
    const auto wave = ParseWave(data, size);
    if (!wave)
        return {};
    const int bits = wave->bitsPerSample;
    const bool isInteger =
        wave->formatTag == 1 && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
    const bool isFloat = wave->formatTag == 3 && bits == 32;
    if (!isInteger && !isFloat)
        return {};
    const std::int64_t p = ClampVolume(percent);
    std::vector<std::uint8_t> copy(data, data + size);
    const std::size_t width = static_cast<std::size_t>(bits) / 8;
    // ParseWave keeps the data chunk inside the image; a half sample at its end stays.
    // 16-bit and float samples are read as the host's own: both targets are little-endian.
    std::uint8_t* at = copy.data() + (wave->samples - data);
    std::uint8_t* const end = at + (wave->sampleBytes - wave->sampleBytes % width);
    for (; at != end; at += width) {
        if (isFloat) {
            float f;
            std::memcpy(&f, at, 4);
            f = f * static_cast<float>(p) / 100.0f;
            std::memcpy(at, &f, 4);
        } else if (bits == 16) { // the recorded clips: kept on a short path
            std::int16_t v;
            std::memcpy(&v, at, 2);
            v = static_cast<std::int16_t>(Scale(v, p));
            std::memcpy(at, &v, 2);
        } else if (bits == 8) { // unsigned, silence at 128
            at[0] = static_cast<std::uint8_t>(Scale(at[0] - 128, p) + 128);
        } else {
            std::uint64_t u = 0;
            for (std::size_t i = 0; i < width; ++i)
                u |= static_cast<std::uint64_t>(at[i]) << (8 * i);
            const unsigned shift = 64 - static_cast<unsigned>(bits);
            const auto v = static_cast<std::int64_t>(u << shift) >> shift; // sign-extended
            const auto w = static_cast<std::uint64_t>(Scale(v, p));
            for (std::size_t i = 0; i < width; ++i)
                at[i] = static_cast<std::uint8_t>(w >> (8 * i));
        }
    }
    return copy;
}

} // namespace lumivox
