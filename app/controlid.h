// The window's controls by name. Each has one enumerator, spelt as the control's object
// name, so a control that does not exist does not compile.
#pragma once
#include <cstddef>
#include <string_view>

namespace lumivox {

// The window itself first, then every control in the order the window table lists them.
// clang-format off
#define LUMIVOX_CONTROLS(X) \
    X(Form1) \
    X(pgc1) X(pnl2) X(ts1) X(ts3) X(ts2) X(grp1Timer) X(chkHour) \
    X(chkHalf) X(grp12) X(lbl7) X(lblMinTick) X(cbbHour) X(lbl10) \
    X(cbbMin) X(lbl11) X(cbbSec) X(chkMin) X(cbbLastMin) X(lbl12) \
    X(cbbPerMin) X(lbl13) X(chkSec) X(cbbLastSec) X(lbl15) X(cbbPerSec) \
    X(lbl16) X(chkLastOne) X(btnLastOne) X(chkCircle) X(btnMinStart) X(btnStop) \
    X(chkDispTop) \
    X(grp3Chime) X(chkQuarter) X(chkQuiet) X(lblQuietFrom) X(cbbQuietFrom) X(lblQuietTo) \
    X(cbbQuietTo) X(lblQuietEnd) X(chkFollowDnd) X(grpSound) X(lblVolume) X(cbbVolume) X(lblPercent) \
    X(chkMute) X(btnSayTime) X(lblVoice) X(cbbVoice) X(btnVoiceTry) X(lblVoiceNote) X(grpUntil) X(lblUntil) X(cbbUntilHour) X(lblUntil1) \
    X(cbbUntilMin) X(lblUntil2) X(cbbUntilSec) X(btnUntilStart) X(lblUntilHint) \
    X(lblHotKey) X(edtHotKey) X(lblHotKeyHint) \
    X(mmoHelp) X(pnl1) X(lbl1) X(lbl2) X(lbl14) \
    X(lbl8) X(lbl3) X(lbl4) X(lbl5) X(lblTips)
// clang-format on

enum class ControlId {
#define LUMIVOX_CONTROL_ENUMERATOR(name) name,
    LUMIVOX_CONTROLS(LUMIVOX_CONTROL_ENUMERATOR)
#undef LUMIVOX_CONTROL_ENUMERATOR
};

inline constexpr std::size_t kControlIdCount = 0
#define LUMIVOX_CONTROL_COUNT(name) +1
    LUMIVOX_CONTROLS(LUMIVOX_CONTROL_COUNT)
#undef LUMIVOX_CONTROL_COUNT
    ;

constexpr std::size_t IndexOf(ControlId id) {
    return static_cast<std::size_t>(id);
}

// The control's object name: "chkHour" for ControlId::chkHour.
constexpr std::string_view NameOf(ControlId id) {
    constexpr std::string_view names[] = {
#define LUMIVOX_CONTROL_NAME(name) #name,
        LUMIVOX_CONTROLS(LUMIVOX_CONTROL_NAME)
#undef LUMIVOX_CONTROL_NAME
    };
    return names[IndexOf(id)];
}

} // namespace lumivox
