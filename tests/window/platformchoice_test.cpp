// Which Qt platform the program asks for, from the session it finds itself in.
#include <QGuiApplication>
#include <gtest/gtest.h>

#include "app/platformchoice.h"

namespace {

struct Session {
    const char* sessionType; // XDG_SESSION_TYPE; null: unset
    const char* waylandDisplay;
    const char* display;
    const char* platform; // QT_QPA_PLATFORM as the user set it
    const char* chosen;   // QT_QPA_PLATFORM afterwards; null: still unset
};

void Set(const char* name, const char* value) {
    if (value)
        qputenv(name, value);
    else
        qunsetenv(name);
}

TEST(ChooseQtPlatform, XWaylandIsPreferredUnlessTheUserChose) {
    const Session sessions[] = {
        {"wayland", "wayland-0", ":0", nullptr, "xcb"},
        {nullptr, "wayland-0", ":1", nullptr, "xcb"},
        {"wayland", nullptr, ":0", nullptr, "xcb"},
        {"wayland", "wayland-0", nullptr, nullptr, nullptr}, // no X server: stay native
        {"wayland", "wayland-0", ":0", "wayland", "wayland"},
        {"wayland", "wayland-0", ":0", "offscreen", "offscreen"},
        {"x11", nullptr, ":0", nullptr, nullptr},
        {"tty", nullptr, nullptr, nullptr, nullptr},
    };
    for (const Session& s : sessions) {
        SCOPED_TRACE(testing::Message()
                     << (s.sessionType ? s.sessionType : "-") << " "
                     << (s.waylandDisplay ? s.waylandDisplay : "-") << " "
                     << (s.display ? s.display : "-") << " " << (s.platform ? s.platform : "-"));
        Set("XDG_SESSION_TYPE", s.sessionType);
        Set("WAYLAND_DISPLAY", s.waylandDisplay);
        Set("DISPLAY", s.display);
        Set("QT_QPA_PLATFORM", s.platform);
        lumivox::ChooseQtPlatform();
        if (s.chosen)
            EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), QByteArray(s.chosen));
        else
            EXPECT_FALSE(qEnvironmentVariableIsSet("QT_QPA_PLATFORM"));
    }
    EXPECT_EQ(QGuiApplication::highDpiScaleFactorRoundingPolicy(),
              Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

TEST(ChooseQtPlatform, SharedMemoryImagesAreOffUnlessTheUserChose) {
    for (const char* set : {static_cast<const char*>(nullptr), "0"}) {
        Set("QT_XCB_NO_MITSHM", set);
        lumivox::ChooseQtPlatform();
        EXPECT_EQ(qgetenv("QT_XCB_NO_MITSHM"), QByteArray(set ? set : "1"));
    }
}

} // namespace
