// Loading a voice pack: 23 clips of 44.1 kHz stereo 24-bit, 0.6 s each (a word and its
// tail), read, mixed down, resampled to 22050 Hz and trimmed, as the worker thread
// does when a pack is chosen; and the memory the loaded voice holds.
// Usage: bench_announcer_voiceload [rounds, default 10]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "announcer/voicepack.h"

namespace {

void Put(std::ofstream& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.put(static_cast<char>(v >> (8 * i)));
}

// A 24-bit stereo tone of hz at 44100 Hz.
void WriteClip(const std::filesystem::path& path, double hz, double seconds) {
    const std::uint32_t rate = 44100;
    const auto frames = static_cast<std::uint32_t>(seconds * rate);
    const std::uint32_t dataBytes = frames * 6;
    std::ofstream out(path, std::ios::binary);
    out.write("RIFF", 4);
    Put(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    Put(out, 16, 4);
    Put(out, 1, 2);
    Put(out, 2, 2);
    Put(out, rate, 4);
    Put(out, rate * 6, 4);
    Put(out, 6, 2);
    Put(out, 24, 2);
    out.write("data", 4);
    Put(out, dataBytes, 4);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const double v = 0.5 * std::sin(2 * 3.14159265358979 * hz * i / rate);
        const auto s = static_cast<std::uint32_t>(static_cast<std::int32_t>(v * 8388607));
        Put(out, s, 3);
        Put(out, s, 3);
    }
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const double seconds = 0.6;
    const auto folder = std::filesystem::temp_directory_path() / "lumivox-bench-voice";
    std::filesystem::create_directories(folder);
    std::uintmax_t fileBytes = 0;
    for (int i = 0; i < lumivox::kClipCount; ++i) {
        const auto path = folder / lumivox::PackClipFileName(i);
        WriteClip(path, 300.0 + 40 * i, seconds);
        fileBytes += std::filesystem::file_size(path);
    }
    const lumivox::ClipBank builtIn;
    std::vector<double> ms;
    std::size_t held = 0;
    for (int r = 0; r < rounds; ++r) {
        const auto start = std::chrono::steady_clock::now();
        const auto voice = lumivox::LoadPack(folder.string(), builtIn);
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        held = 0;
        for (const auto& image : voice->images)
            held += image.capacity();
    }
    std::filesystem::remove_all(folder);
    std::sort(ms.begin(), ms.end());
    std::printf("voice pack load, 23 clips of %.1f s at 44.1 kHz stereo 24-bit (%ju bytes of "
                "files): median %.1f ms, max %.1f ms (%d rounds); the voice holds %zu bytes "
                "of clips at 22050 Hz mono 16-bit\n",
                seconds, fileBytes, ms[ms.size() / 2], ms.back(), rounds, held);
}
