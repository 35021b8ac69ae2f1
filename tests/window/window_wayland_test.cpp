// The window in a native Wayland session with no X server to fall back to (run by
// wayland_e2e.sh inside a headless compositor): it shows, its keep-on-top box, which
// Wayland does not allow, says why, and the hotkey's line says where to set one.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
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
    EXPECT_EQ(form.Control<QLabel>(Id::lblHotKeyHint)->text().toStdString(),
              "请在桌面的键盘设置中设快捷键运行 lumivox --say-time");
}
