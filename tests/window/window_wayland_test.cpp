// The window in a native Wayland session with no X server to fall back to (run by
// wayland_e2e.sh inside a headless compositor): it shows, its keep-on-top box, which
// Wayland does not allow, says why, and the hotkey's line says where to set one.
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "formfixture.h"

TEST(WindowOnWayland, ShowsAndTheKeepOnTopBoxExplainsItself) {
    ASSERT_EQ(QGuiApplication::platformName(), QLatin1String("wayland"));
    lumivox::testing::FormFixture fixture;
    TForm1& form = *fixture.form;
    form.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&form, 15000));
    EXPECT_TRUE(
        form.Control<QCheckBox>(Id::chkDispTop)->toolTip().contains(QLatin1String("Wayland")))
        << qPrintable(form.Control<QCheckBox>(Id::chkDispTop)->toolTip());
    EXPECT_TRUE(form.Control<QCheckBox>(Id::chkDispTop)->isEnabled());
    // No portal on this bus: the line comes once the bus has said so.
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return form.Control<QLabel>(Id::lblHotKeyHint)->text() ==
               QString::fromUtf8("桌面快捷键可运行 lumivox --say-time");
    }));
}

// Run by wayland_e2e.sh a second time, with a portal of the test's own that presses the
// bound shortcut once: the time is said, and the page has nothing to explain.
TEST(WindowOnWayland, ThePortalsShortcutSpeaksTheTime) {
    if (qEnvironmentVariableIsEmpty("LUMIVOX_TEST_PORTAL"))
        GTEST_SKIP() << "no test portal";
    QTemporaryDir settings;
    QFile file(settings.filePath(QStringLiteral("lvvoxclk.db")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Common]\r\nIsHour=0\r\nIsHalf=0\r\nHotKey=Ctrl+Alt+T\r\n");
    file.close();
    auto sound = std::make_shared<lumivox::testing::SilentSound>();
    auto form = lumivox::testing::MakeForm(settings.path().toStdString(), sound);
    form->show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return sound->Played().size() >= 8; }, 10000));
    EXPECT_EQ(form->Control<QLabel>(Id::lblHotKeyHint)->text(), QString());
}
