// Reads the format and sample data out of a RIFF/WAVE file image.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumivox {

struct WaveData {
    std::uint16_t formatTag = 0; // 1 = PCM
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t subFormat = 0; // WAVE_FORMAT_EXTENSIBLE (0xFFFE): the real tag, else 0
    const std::uint8_t* samples = nullptr;
    std::size_t sampleBytes = 0;
    std::string infoName; // LIST/INFO "INAM", empty when absent

    double Seconds() const;
};

// Nullopt unless the image is a well-formed RIFF/WAVE with "fmt " and "data" chunks.
// Chunk sizes that run past the end of the image are cut to what is there.
std::optional<WaveData> ParseWave(const std::uint8_t* data, std::size_t size);

// A volume in percent, clamped to 0..100.
int ClampVolume(std::int32_t percent);

// A copy of the image with every sample scaled by percent / 100 (clamped to 0..100) and
// rounded to the nearest value. Integer PCM of 8, 16, 24 or 32 bits and 32-bit float are
// scaled; anything else gives an empty copy, since it could not be made quieter.
std::vector<std::uint8_t> ScaledWave(const std::uint8_t* data, std::size_t size,
                                     std::int32_t percent);

} // namespace lumivox
