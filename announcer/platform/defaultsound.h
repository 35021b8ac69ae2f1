// The sound output the program uses on this system.
#pragma once
#include <memory>

#include "announcer/clipbank.h"

namespace lumivox {

// PulseAudio (or PipeWire's pulse server) on Linux, the system's WAVE player on Windows.
// With no sound server, or no client library for it, the output plays nothing and
// returns at once.
std::shared_ptr<SoundOutput> CreateDefaultSoundOutput();

} // namespace lumivox
