// Reads the format and sample data out of a RIFF/WAVE file image.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace lumivox {

struct WaveData {
    std::uint16_t formatTag = 0; // 1 = PCM
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint16_t bitsPerSample = 0;
    const std::uint8_t* samples = nullptr;
    std::size_t sampleBytes = 0;
    std::string infoName; // LIST/INFO "INAM", empty when absent

    double Seconds() const;
};

// Nullopt unless the image is a well-formed RIFF/WAVE with "fmt " and "data" chunks.
// Chunk sizes that run past the end of the image are cut to what is there.
std::optional<WaveData> ParseWave(const std::uint8_t* data, std::size_t size);

} // namespace lumivox
