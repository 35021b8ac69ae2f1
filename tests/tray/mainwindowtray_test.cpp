// The program's tray icon on Qt, with the notification area simulated (the
// offscreen platform has none).
#include "tray/platform/mainwindowtray.h"

#include <QApplication>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

using lumivox::MainWindowTray;
using lumivox::QtTrayPlatform;
using lumivox::TrayMouse;

struct Desktop {
    bool trayThere = true;
    QWidget window;
    std::unique_ptr<MainWindowTray> tray;

    explicit Desktop(bool tray0) : trayThere(tray0) {
        window.resize(200, 100);
        window.show();
        tray = std::make_unique<MainWindowTray>(&window, [this] { return trayThere; });
        QApplication::processEvents();
    }
    void Minimise() {
        window.setWindowState(window.windowState() | Qt::WindowMinimized);
        QApplication::processEvents();
    }
    void Activate(QSystemTrayIcon::ActivationReason reason) {
        emit tray->Platform().TrayIcon().activated(reason);
        QApplication::processEvents();
    }
    bool IconShown() { return tray->Platform().TrayIcon().isVisible(); }
};

TEST(QtTrayActivation, ReasonsBecomeMouseSteps) {
    using V = std::vector<TrayMouse>;
    const TrayMouse down{TrayMouse::Press, mbLeft, 0, {}}, up{TrayMouse::Release, mbLeft, 0, {}};
    const auto with = [](TrayMouse mouse, TMouseButton button) {
        mouse.button = button;
        return mouse;
    };
    EXPECT_EQ(QtTrayPlatform::MouseOf(QSystemTrayIcon::Trigger), (V{down, up}));
    EXPECT_EQ(QtTrayPlatform::MouseOf(QSystemTrayIcon::DoubleClick),
              (V{{TrayMouse::DoubleClick, mbLeft, 0, {}}}));
    EXPECT_EQ(QtTrayPlatform::MouseOf(QSystemTrayIcon::MiddleClick),
              (V{with(down, mbMiddle), with(up, mbMiddle)}));
    EXPECT_EQ(QtTrayPlatform::MouseOf(QSystemTrayIcon::Context),
              (V{with(down, mbRight), with(up, mbRight)}));
    EXPECT_TRUE(QtTrayPlatform::MouseOf(QSystemTrayIcon::Unknown).empty());
}

TEST(MainWindowTray, StartsWithTheStoredSettings) {
    Desktop d(true);
    TTrayIcon& icon = d.tray->Icon();
    EXPECT_TRUE(icon.Visible());
    EXPECT_EQ(icon.Hint(), "Lumivox语音定时器");
    EXPECT_TRUE(icon.Hide());
    EXPECT_EQ(icon.RestoreOn, imLeftClickUp);
    EXPECT_EQ(icon.PopupMenuOn, imNone);
    EXPECT_TRUE(d.IconShown());
    EXPECT_EQ(d.tray->Platform().TrayIcon().toolTip(), QString::fromUtf8("Lumivox语音定时器"));
    EXPECT_FALSE(d.tray->Platform().TrayIcon().icon().isNull()); // placeholder without one set
}

TEST(MainWindowTray, MinimiseHidesAndALeftClickBringsItBack) {
    Desktop d(true);
    int restores = 0;
    d.tray->Icon().OnRestore = [&](TTrayIcon&) { ++restores; };
    d.Minimise();
    EXPECT_FALSE(d.window.isVisible());
    EXPECT_TRUE(d.tray->Platform().WindowHiddenInTray());

    // Only a left click restores.
    for (auto reason :
         {QSystemTrayIcon::Context, QSystemTrayIcon::MiddleClick, QSystemTrayIcon::DoubleClick}) {
        d.Activate(reason);
        EXPECT_FALSE(d.window.isVisible()) << reason;
    }
    d.Activate(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(d.window.isVisible());
    EXPECT_FALSE(d.window.isMinimized());
    EXPECT_FALSE(d.tray->Platform().WindowHiddenInTray());
    EXPECT_EQ(restores, 1); // its own un-minimise is not taken for the user's
}

TEST(MainWindowTray, LeftClickOnAShownWindowKeepsItShown) {
    Desktop d(true);
    d.Activate(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(d.window.isVisible());
    EXPECT_FALSE(d.window.isMinimized());
}

TEST(MainWindowTray, WithoutTrayTheWindowMinimisesToTheTaskbarUntilOneAppears) {
    Desktop d(false);
    EXPECT_FALSE(d.tray->IconShown());
    EXPECT_FALSE(d.IconShown());
    d.Minimise();
    EXPECT_TRUE(d.window.isVisible());
    EXPECT_TRUE(d.window.isMinimized());

    d.window.showNormal();
    QApplication::processEvents();
    d.trayThere = true;
    d.tray->CheckAvailability();
    EXPECT_TRUE(d.IconShown());
    EXPECT_EQ(d.tray->Platform().TrayIcon().toolTip(), QString::fromUtf8("Lumivox语音定时器"));
    d.Minimise();
    EXPECT_FALSE(d.window.isVisible());
}

TEST(MainWindowTray, TrayGoingAwayBringsAHiddenWindowBack) {
    Desktop d(true);
    d.Minimise();
    ASSERT_FALSE(d.window.isVisible());
    d.trayThere = false;
    d.tray->CheckAvailability();
    QApplication::processEvents();
    EXPECT_TRUE(d.window.isVisible());
    EXPECT_FALSE(d.IconShown());
    d.Minimise();
    EXPECT_TRUE(d.window.isVisible()); // on the taskbar now
}

TEST(MainWindowTray, SessionEndRemovesTheIcon) {
    Desktop d(true);
    d.tray->Platform().EndSession();
    EXPECT_FALSE(d.IconShown());
    // The icon's way back is gone, so minimising must not hide the window.
    d.Minimise();
    EXPECT_TRUE(d.window.isVisible());
    // The user's restore from the taskbar still reaches the component.
    int restores = 0;
    d.tray->Icon().OnRestore = [&](TTrayIcon&) { ++restores; };
    d.window.showNormal();
    QApplication::processEvents();
    EXPECT_EQ(restores, 1);
}

TEST(MainWindowTray, WindowIsLeftAloneOnceTheTrayIsGone) {
    Desktop d(true);

    d.tray.reset();
    d.Minimise();
    EXPECT_TRUE(d.window.isVisible());
}

} // namespace
