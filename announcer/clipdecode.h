// Clips from outside the program: any uncompressed PCM WAVE image brought to the
// program's own format (PCM mono 22050 Hz 16-bit), its silent ends trimmed.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace lumivox {

inline constexpr int kClipRate = 22050;
// Larger or longer files are refused before anything is allocated for them.
inline constexpr std::size_t kMaxClipFileBytes = 8 * 1024 * 1024;
inline constexpr int kMaxClipSeconds = 10;

// The clip's samples at kClipRate, channels mixed down, resampled band-limited, and
// trimmed at both ends below 0.1 % of full scale as the built-in clips were. Nullopt
// when it holds no sound or is none of RIFF/WAVE 8/16/24/32-bit integer or 32-bit
// float PCM (plain or extensible), 1 or 2 channels, 8 to 96 kHz, within the caps.
std::optional<std::vector<std::int16_t>> DecodeClip(const std::uint8_t* data, std::size_t size);

// A RIFF/WAVE image of the samples in the program's format.
std::vector<std::uint8_t> ClipImage(const std::vector<std::int16_t>& samples);

} // namespace lumivox
