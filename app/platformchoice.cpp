#include "app/platformchoice.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QtGlobal>

namespace lumivox {

bool IsWaylandSession() {
    return qgetenv("XDG_SESSION_TYPE") == "wayland" ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

void ChooseQtPlatform() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && IsWaylandSession() &&
        !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    // The window is small and redrawn a few times a minute (the tips line): images
    // through shared memory gain nothing there, and each such redraw costs a wake-up
    // of two threads for the server's completion event, plus the segment's memory.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
#endif
    // The layout is in pixels at 96 dpi: every size scales by the screen's exact
    // factor, so fixed positions and the texts inside them grow together.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

} // namespace lumivox
