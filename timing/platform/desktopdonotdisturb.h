// What a Linux desktop says about disturbing the user, read at the moment it is asked:
// the notification server's Inhibited property (KDE Plasma and others), GNOME's
// do-not-disturb switch through the desktop portal, and, on X11, a full-screen window
// in front. Whatever is missing or fails to answer counts as "may disturb".
#pragma once
#include "timing/donotdisturb.h"

namespace lumivox {

class DesktopDoNotDisturb : public DoNotDisturb {
public:
    bool Now() override;

    // Each signal alone, for tests.
    static bool NotificationsInhibited();
    static bool BannersOff();
    static bool FullScreenInFront();
};

} // namespace lumivox
