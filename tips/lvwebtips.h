// The tips list: up to 128 texts with their links, and the picker that rotates them.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "tips/tiprandom.h"

class lvWebTips {
public:
    static constexpr int kMaxTips = 128;

    std::string TipText[kMaxTips];
    std::string TipLink[kMaxTips];
    std::int32_t TipCount = 0;

    // Seeded once from the calendar time.
    lvWebTips();
    explicit lvWebTips(std::uint32_t seed);

    // Reads the tips file; a missing file gives no tips. Throws
    // lumivox::FileOpenError when it exists but cannot be read.
    void ParseTips(const std::string& path);

    // Takes the tips from the file's bytes: lines end at CR LF, LF or CR; a NUL
    // ends the content; each line is split at its first "@#$"; nothing is trimmed.
    void ParseContent(std::string_view content);

    // A random index below TipCount; TipCount must be positive.
    int PickTip();

private:
    lumivox::TipRandom random_;
};
