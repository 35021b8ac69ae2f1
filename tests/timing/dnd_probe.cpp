// Prints what the desktop says about disturbing the user, each signal and the whole,
// for dnd_e2e.sh: "inhibited=0 bannersoff=0 fullscreen=0 now=0".
#include <QCoreApplication>

#include <cstdio>

#include "timing/platform/desktopdonotdisturb.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    using lumivox::DesktopDoNotDisturb;
    DesktopDoNotDisturb desktop;
    std::printf("inhibited=%d bannersoff=%d fullscreen=%d now=%d\n",
                DesktopDoNotDisturb::NotificationsInhibited() ? 1 : 0,
                DesktopDoNotDisturb::BannersOff() ? 1 : 0,
                DesktopDoNotDisturb::FullScreenInFront() ? 1 : 0, desktop.Now() ? 1 : 0);
    return 0;
}
