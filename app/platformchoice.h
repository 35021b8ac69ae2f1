// Picks how Qt talks to the desktop; called before the application object exists.
#pragma once

namespace lumivox {

// On a Wayland session that also offers an X server (XWayland), runs on X11: only
// there can the window stay on top and hide into the tray. An explicit
// QT_QPA_PLATFORM is left alone. Also fixes how the 96-dpi layout is scaled.
void ChooseQtPlatform();

// The desktop session is a Wayland one (the program may still be on XWayland).
bool IsWaylandSession();

} // namespace lumivox
