#include "announcer/clipbank.h"

namespace lumivox {

std::string ClipResourceName(int index) {
    return "wav" + std::to_string(index);
}

void ClipBank::LoadAll(const ClipSource& source) {
    for (int i = 0; i < kClipCount; ++i)
        clips_[static_cast<std::size_t>(i)] = source.FindClip("WAV", ClipResourceName(i));
}

void ClipBank::ReleaseAll() {
    clips_.fill(ClipHandle{});
}

ClipHandle ClipBank::Clip(int index) const {
    if (index < 0 || index >= kClipCount)
        return {};
    return clips_[static_cast<std::size_t>(index)];
}

void PlayClip(const ClipBank& bank, SoundOutput& output, int k) {
    const ClipHandle clip = bank.Clip(k);
    if (clip)
        output.PlaySync(clip);
}

} // namespace lumivox
