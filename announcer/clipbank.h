// The 23 recorded voice clips and the one play primitive every announcement uses.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace lumivox {

inline constexpr int kClipCount = 23;

// A loaded clip: the whole in-memory RIFF/WAVE file image, or null when not found.
struct ClipHandle {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    explicit operator bool() const { return data != nullptr && size != 0; }
};

// Where clips come from (the executable's embedded resources in the program).
// Names are matched without regard to letter case.
class ClipSource {
public:
    virtual ~ClipSource() = default;
    virtual ClipHandle FindClip(const std::string& type, const std::string& name) const = 0;
};

// Plays WAVE images. PlaySync returns once the clip has been heard to the end,
// or soon after Abort() was called from any thread. After Abort() every later
// PlaySync returns at once.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    virtual void PlaySync(ClipHandle clip) = 0;
    virtual void Abort() = 0;
    // Muted: lets go of whatever is held open on the sound server between clips; the
    // next PlaySync opens it again. Called on the thread that plays.
    virtual void ReleaseStream() {}
};

// "wav" + index in decimal, without leading zeros ("wav0" ... "wav22").
std::string ClipResourceName(int index);

class ClipBank {
public:
    // Fills every slot; a clip that is not found leaves a null handle.
    void LoadAll(const ClipSource& source);
    void ReleaseAll();
    // Null for an index outside 0..22.
    ClipHandle Clip(int index) const;

private:
    std::array<ClipHandle, kClipCount> clips_{};
};

// Plays clip k synchronously; a null clip plays nothing and returns at once.
void PlayClip(const ClipBank& bank, SoundOutput& output, int k);

} // namespace lumivox
