// The tips' pseudo-random picker: a 64-bit linear congruential generator.
#pragma once
#include <cstdint>

namespace lumivox {

class TipRandom {
public:
    // The state's low half is the seed advanced once, its high half zero.
    explicit TipRandom(std::uint32_t seed);

    // The next number: the upper half of the new state with its top bit cleared.
    std::int32_t Next();

    // Next() modulo count; count must be positive.
    int Pick(int count);

private:
    std::uint64_t state_;
};

// The seed the program uses: the calendar time in whole seconds.
std::uint32_t CalendarSeed();

} // namespace lumivox
