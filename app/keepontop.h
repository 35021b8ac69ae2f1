// The always-on-top band: moving a window into it and out again in place.
#pragma once
#include <QString>

class QWidget;

namespace lumivox {

// False where the window system does not let a program raise its own window above
// the others (Wayland compositors).
bool CanKeepOnTop();

// Why the keep-on-top box has no effect here, for the user; empty where it works.
QString KeepOnTopUnavailableReason();

// Puts the top-level `window` into the always-on-top band (on) or takes it out, at
// once, without re-creating, hiding, moving or resizing it.
void SetKeepOnTop(QWidget* window, bool on);

} // namespace lumivox
