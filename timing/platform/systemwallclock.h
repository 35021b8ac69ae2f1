// The system's local time for the chime.
#pragma once
#include "timing/clock.h"

namespace lumivox {

class SystemWallClock : public WallClock {
public:
    std::int64_t LocalMs() const override;
};

} // namespace lumivox
