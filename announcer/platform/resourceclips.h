// Clips carried inside the executable, stored under upper-case names ("WAV/WAV8").
#pragma once
#include "announcer/clipbank.h"

namespace lumivox {

class ResourceClipSource : public ClipSource {
public:
    ClipHandle FindClip(const std::string& type, const std::string& name) const override;
};

} // namespace lumivox
