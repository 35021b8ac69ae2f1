// Windows: the system's own WAVE player, synchronous, from memory.
#ifdef _WIN32
#include <windows.h>

#include <mmsystem.h>

#include <atomic>

#include "announcer/platform/defaultsound.h"

namespace lumivox {

namespace {
class WinSoundOutput : public SoundOutput {
public:
    void PlaySync(ClipHandle clip) override {
        if (!clip || aborted_.load())
            return;
        PlaySoundA(reinterpret_cast<LPCSTR>(clip.data), nullptr, SND_MEMORY | SND_SYNC);
    }
    void Abort() override {
        aborted_.store(true);
        PlaySoundA(nullptr, nullptr, 0); // stops the clip being played
    }

private:
    std::atomic<bool> aborted_{false};
};
} // namespace

std::shared_ptr<SoundOutput> CreateDefaultSoundOutput() {
    return std::make_shared<WinSoundOutput>();
}

} // namespace lumivox
#endif
