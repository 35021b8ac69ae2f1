// The clip reader over arbitrary files: the parsed sound lies inside the image, and a
// decoded clip never holds more than the longest clip taken, at the program's rate.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "announcer/clipdecode.h"
#include "announcer/wavfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (const auto wave = lumivox::ParseWave(data, size)) {
        if (wave->samples < data || wave->samples + wave->sampleBytes > data + size)
            std::abort();
    }
    if (const auto clip = lumivox::DecodeClip(data, size)) {
        if (clip->empty() ||
            clip->size() > std::size_t{lumivox::kClipRate} * lumivox::kMaxClipSeconds + 1)
            std::abort();
    }
    return 0;
}
