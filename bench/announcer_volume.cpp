// The cost of speaking below full volume: one scaled copy per clip played.
// Usage: bench_announcer_volume [rounds, default 2000]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "announcer/wavfile.h"

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    // A 50 KB clip like the recorded ones: 16-bit mono at 22050 Hz, 1.13 s.
    const std::uint32_t dataBytes = 50000;
    const std::uint8_t header[44] = {'R', 'I', 'F',  'F',  0,   0,   0,    0,    'W', 'A', 'V',
                                     'E', 'f', 'm',  't',  ' ', 16,  0,    0,    0,   1,   0,
                                     1,   0,   0x22, 0x56, 0,   0,   0x44, 0xAC, 0,   0,   2,
                                     0,   16,  0,    'd',  'a', 't', 'a',  0,    0,   0,   0};
    std::vector<std::uint8_t> image(header, header + 44);
    image.resize(44 + dataBytes);
    const std::uint32_t riff = static_cast<std::uint32_t>(image.size() - 8);
    std::memcpy(&image[4], &riff, 4); // little-endian hosts only, as the program's
    std::memcpy(&image[40], &dataBytes, 4);
    for (std::size_t i = 44; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 37);

    std::vector<double> us;
    std::size_t keep = 0;
    for (int r = 0; r < rounds; ++r) {
        const auto start = std::chrono::steady_clock::now();
        keep += lumivox::ScaledWave(image.data(), image.size(), 50).size();
        us.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(us.begin(), us.end());
    std::printf("scaled copy of a %zu-byte clip at 50 %%: median %.1f us, 99th %.1f us, "
                "max %.1f us (%d rounds, %zu bytes)\n",
                image.size(), us[us.size() / 2], us[us.size() * 99 / 100], us.back(), rounds, keep);
}
