// The window on a real X display with a real window manager: what the window manager
// is told (on-top state, allowed actions, place), what the user sees (screenshots
// of both pages, saved under <build>/artifacts/), and the hotkey held on the X server.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "app/globalhotkey.h"
#include "formfixture.h"

namespace {

QString Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000))
        return {};
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

QString Property(WId window, const char* name) {
    return Run("xprop", {"-id", QString::number(window), QString::fromLatin1(name)});
}

// Absolute place and size of the client window, as the X server has it.
QRect ClientGeometry(WId window) {
    const QString info = Run("xwininfo", {"-id", QString::number(window)});
    auto field = [&](const char* label) {
        const QRegularExpression pattern(QString::fromLatin1(label) + ":\\s*(-?\\d+)");
        return pattern.match(info).captured(1).toInt();
    };
    return {field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"),
            field("Height")};
}

// Polls for up to 15 s: the window manager answers in its own time.
bool WaitFor(const std::function<bool()>& condition) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 15000) {
        if (condition())
            return true;
        QTest::qWait(50);
    }
    return condition();
}

bool Above(WId window) {
    return Property(window, "_NET_WM_STATE").contains("_NET_WM_STATE_ABOVE");
}

class WindowOnDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        form = fixture.form.get();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
        id = form->winId();
        // Managed: the window manager has put its frame round the window.
        ASSERT_TRUE(WaitFor([&] { return Property(id, "_NET_FRAME_EXTENTS").contains("="); }));
        QTest::qWait(200);
    }

    lumivox::testing::FormFixture fixture;
    TForm1* form = nullptr;
    WId id = 0;
};

TEST_F(WindowOnDesktop, KeepOnTopEntersAndLeavesTheBandInPlace) {
    const QRect before = ClientGeometry(id);
    ASSERT_EQ(before.size(), QSize(544, 362));
    ASSERT_FALSE(Above(id));

    QTest::mouseClick(form->Control<QCheckBox>(Id::chkDispTop), Qt::LeftButton, {}, QPoint(6, 8));
    ASSERT_TRUE(form->Control<QCheckBox>(Id::chkDispTop)->isChecked());
    EXPECT_TRUE(WaitFor([&] { return Above(id); })) << Property(id, "_NET_WM_STATE").toStdString();
    QTest::qWait(300);
    EXPECT_EQ(ClientGeometry(id), before);
    EXPECT_EQ(form->winId(), id);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(Property(id, "_NET_WM_STATE").contains("HIDDEN"));

    QTest::mouseClick(form->Control<QCheckBox>(Id::chkDispTop), Qt::LeftButton, {}, QPoint(6, 8));
    ASSERT_FALSE(form->Control<QCheckBox>(Id::chkDispTop)->isChecked());
    EXPECT_TRUE(WaitFor([&] { return !Above(id); }));
    QTest::qWait(300);
    EXPECT_EQ(ClientGeometry(id), before);
    EXPECT_EQ(form->winId(), id);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(WindowOnDesktop, OnlyMinimiseAndCloseAreOffered) {
    const QString actions = Property(id, "_NET_WM_ALLOWED_ACTIONS");
    EXPECT_TRUE(actions.contains("_NET_WM_ACTION_MINIMIZE")) << actions.toStdString();
    EXPECT_TRUE(actions.contains("_NET_WM_ACTION_CLOSE")) << actions.toStdString();
    EXPECT_FALSE(actions.contains("_NET_WM_ACTION_MAXIMIZE")) << actions.toStdString();
    EXPECT_FALSE(actions.contains("_NET_WM_ACTION_RESIZE")) << actions.toStdString();
    EXPECT_TRUE(Property(id, "_NET_WM_NAME").contains(QString::fromUtf8("Lumivox语音报时器")));
}

TEST_F(WindowOnDesktop, FirstShownInTheMiddleOfTheScreen) {
    const QRect client = ClientGeometry(id);
    const QRect screen = form->screen()->geometry();
    // The frame (title bar, borders) may shift the client a little off centre.
    EXPECT_LE(std::abs(client.center().x() - screen.center().x()), 40);
    EXPECT_LE(std::abs(client.center().y() - screen.center().y()), 40);
}

// Counts pixels near the given colour inside a rectangle of the image.
int CountColour(const QImage& image, QRect area, QColor colour) {
    int count = 0;
    area &= image.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) < 60 &&
                std::abs(c.green() - colour.green()) < 60 &&
                std::abs(c.blue() - colour.blue()) < 60)
                ++count;
        }
    return count;
}

// The box takes the combination pressed in it; one another client holds is refused
// with the old one kept; the one held speaks the time from whatever has the focus.
TEST_F(WindowOnDesktop, TheHotKeyBoxTakesACombinationAndThePressIsHeard) {
    lumivox::GlobalHotKey otherClient;
    ASSERT_EQ(otherClient.Grab(lumivox::ParseHotKey("Ctrl+Alt+J")), lumivox::HotKeyGrab::Held);
    auto* box = form->Control<QLineEdit>(Id::edtHotKey);
    auto* hint = form->Control<QLabel>(Id::lblHotKeyHint);
    form->Control<QTabWidget>(Id::pgc1)->setCurrentIndex(1);
    box->setFocus();
    const Qt::KeyboardModifiers ctrlAlt = Qt::ControlModifier | Qt::AltModifier;
    QTest::keyClick(box, Qt::Key_K, ctrlAlt);
    EXPECT_EQ(box->text(), "Ctrl+Alt+K");
    QTest::keyClick(box, Qt::Key_J, ctrlAlt);
    EXPECT_EQ(box->text(), "Ctrl+Alt+K");
    EXPECT_EQ(hint->text().toStdString(), "快捷键已被占用");
    QTest::keyClick(box, Qt::Key_Escape);
    QTest::keyClick(box, Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_EQ(box->text(), "Ctrl+Alt+K");

    // Pressed on the X server, not in the window: the time, eight clips or more.
    auto* sound = static_cast<lumivox::testing::SilentSound*>(fixture.sound.get());
    ::Run("xdotool", {"key", "ctrl+alt+k"});
    EXPECT_TRUE(WaitFor([&] { return sound->Played().size() >= 8; }));
    QTest::keyClick(box, Qt::Key_Backspace);
    EXPECT_EQ(box->text(), "");
    const std::size_t heard = sound->Played().size();
    ::Run("xdotool", {"key", "ctrl+alt+k"});
    QTest::qWait(1000);
    EXPECT_EQ(sound->Played().size(), heard);
}

TEST_F(WindowOnDesktop, ScreenshotOfEachPage) {
    const QString dir = QStringLiteral(LUMIVOX_ARTIFACTS_DIR);
    ASSERT_TRUE(QDir().mkpath(dir));
    auto* pages = form->Control<QTabWidget>(Id::pgc1);
    struct Shot {
        int page;
        const char* file;
        QWidget* colouredLabel;
        QColor colour;
    };
    const Shot shots[] = {
        {0, "timer-page.png", form->Control<QLabel>(Id::lblMinTick), QColor(255, 0, 0)},
        {1, "more-page.png", form->Control<QLabel>(Id::lblUntil), QColor(0, 0, 0)},
        {2, "about-page.png", form->Control<QLabel>(Id::lbl8), QColor(0, 0, 255)}};
    for (const Shot& shot : shots) {
        SCOPED_TRACE(shot.file);
        pages->setCurrentIndex(shot.page);
        QTest::qWait(300);
        // The whole frame as the screen shows it, title bar included; the X server
        // speaks in device pixels, grabWindow in device-independent ones.
        const QRect client = ClientGeometry(id);
        const QStringList extents =
            Property(id, "_NET_FRAME_EXTENTS").section('=', 1).split(',', Qt::SkipEmptyParts);
        ASSERT_EQ(extents.size(), 4);
        const QMargins border(extents[0].trimmed().toInt(), extents[2].trimmed().toInt(),
                              extents[1].trimmed().toInt(), extents[3].trimmed().toInt());
        const QRect frame = client.marginsAdded(border);
        const qreal ratio = form->devicePixelRatioF();
        const QPixmap picture = form->screen()->grabWindow(
            0, qRound(frame.x() / ratio), qRound(frame.y() / ratio), qRound(frame.width() / ratio),
            qRound(frame.height() / ratio));
        ASSERT_FALSE(picture.isNull());
        ASSERT_TRUE(picture.save(dir + '/' + shot.file));

        // The coloured label really is drawn in its colour where it stands.
        const QImage image = form->grab().toImage();
        const QRect area(shot.colouredLabel->mapTo(form, QPoint(0, 0)) * ratio,
                         shot.colouredLabel->size() * ratio);
        EXPECT_GT(CountColour(image, area, shot.colour), 20);
    }
}

} // namespace
