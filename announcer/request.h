// The one channel from the window to the announcer: a message with a kind and a value.
#pragma once
#include <cstdint>

namespace lumivox {

inline constexpr std::uint32_t kAnnouncerMessage = 0x83EA; // 0x8000 + 1002

namespace RequestKind {
inline constexpr std::int32_t SpeakTime = 1;   // value = hour * 1000 + minute
inline constexpr std::int32_t SecondCount = 2; // value = seconds remaining
inline constexpr std::int32_t MinuteCount = 3; // value = minutes remaining
inline constexpr std::int32_t Cue = 4;         // value = 1-based clip number
// value = percent, 0 (mute) to 100 (as recorded), clamped; for the speech after it.
inline constexpr std::int32_t Volume = 6;
// value ignored: the voice TMyThread::UseVoice handed over last.
inline constexpr std::int32_t Voice = 7;
inline constexpr std::int32_t Quit = -1; // value must be -1 too
} // namespace RequestKind

// Posts announcer requests without waiting for them to be spoken.
class RequestPoster {
public:
    virtual ~RequestPoster() = default;
    virtual void Post(std::int32_t kind, std::int32_t value) = 0;
};

} // namespace lumivox
