// Voices: the clips every announcement is made of, from the executable or from a pack,
// a folder of wav0.wav ... wav22.wav under voices/ in the settings folder.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "announcer/clipbank.h"

namespace lumivox {

inline constexpr char kVoicesFolder[] = "voices";

struct Voice {
    ClipBank clips;
    // Clips the pack could not give, taken from the built-in voice (ascending).
    std::vector<int> replaced;
    // The pack's own clips at the program's format; the bank points into them.
    std::array<std::vector<std::uint8_t>, kClipCount> images;
};

// "wav7.wav" for clip 7.
std::string PackClipFileName(int index);

// The pack in folder (UTF-8, with or without a trailing separator): every clip it has
// in a usable form, converted; the others from `builtIn`. Null when none is usable.
std::shared_ptr<const Voice> LoadPack(const std::string& folder, const ClipBank& builtIn);

// The names of the folders under voicesFolder that hold at least one usable clip,
// sorted; empty when there is no such folder.
std::vector<std::string> FindPacks(const std::string& voicesFolder);

} // namespace lumivox
