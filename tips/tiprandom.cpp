#include "tips/tiprandom.h"

#include <ctime>

namespace lumivox {

namespace {
constexpr std::uint64_t kMultiplier = (std::uint64_t{346} << 32) + 20021;
}

TipRandom::TipRandom(std::uint32_t seed) : state_(std::uint32_t(seed * 22695477u + 1u)) {}

std::int32_t TipRandom::Next() {
    state_ = state_ * kMultiplier + 1;
    return static_cast<std::int32_t>((state_ >> 32) & 0x7FFFFFFFu);
}

int TipRandom::Pick(int count) {
    return Next() % count;
}

std::uint32_t CalendarSeed() {
    return static_cast<std::uint32_t>(std::time(nullptr));
}

} // namespace lumivox
