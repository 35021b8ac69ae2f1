// The program's tray icon on Qt, with the notification area simulated (the
// offscreen platform has none).
#include "tray/platform/mainwindowtray.h"

#include <QApplication>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

using lumivox::MainWindowTray;
using lumivox::QtTrayPlatform;

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

TEST(QtTrayActivation, ReasonsBecomeMouseMessages) {
    using V = std::vector<unsigned>;
    namespace m = lumivox::msg;
    EXPECT_EQ(QtTrayPlatform::CallbackMessages(QSystemTrayIcon::Trigger),
              (V{m::kLButtonDown, m::kLButtonUp}));
    EXPECT_EQ(QtTrayPlatform::CallbackMessages(QSystemTrayIcon::DoubleClick),
              (V{m::kLButtonDblClk}));
    EXPECT_EQ(QtTrayPlatform::CallbackMessages(QSystemTrayIcon::MiddleClick),
              (V{m::kMButtonDown, m::kMButtonUp}));
    EXPECT_EQ(QtTrayPlatform::CallbackMessages(QSystemTrayIcon::Context),
              (V{m::kRButtonDown, m::kRButtonUp}));
    EXPECT_TRUE(QtTrayPlatform::CallbackMessages(QSystemTrayIcon::Unknown).empty());
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
}

TEST(MainWindowTray, LeftClickOnAShownWindowKeepsItShown) {
    Desktop d(true);
    d.Activate(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(d.window.isVisible());
    EXPECT_FALSE(d.window.isMinimized());
}

TEST(MainWindowTray, WithoutTrayTheWindowMinimisesToTheTaskbarUntilOneAppears) {
    Desktop d(false);
    EXPECT_FALSE(d.tray->Icon().Visible());
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
    d.tray->Platform().BroadcastToUtilityWindows(lumivox::msg::kEndSession);
    EXPECT_FALSE(d.IconShown());
    // The icon's way back is gone, so minimising must not hide the window.
    d.Minimise();
    EXPECT_TRUE(d.window.isVisible());
}

TEST(MainWindowTray, WindowIsLeftAloneOnceTheTrayIsGone) {
    Desktop d(true);

    d.tray.reset();
    d.Minimise();
    EXPECT_TRUE(d.window.isVisible());
}

} // namespace
