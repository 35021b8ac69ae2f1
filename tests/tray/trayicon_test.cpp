#include "tray/trayicon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "faketrayplatform.h"
#include "tray/ansitext.h"

using namespace lumivox;
using lumivox::test::FakeTrayPlatform;
using IconCall = FakeTrayPlatform::IconCall;

namespace {

class RecordingMenu : public TPopupMenu {
public:
    explicit RecordingMenu(std::vector<std::string>& log) : log_(log) {}
    void Popup(int x, int y) override {
        log_.push_back("popup " + std::to_string(x) + "," + std::to_string(y));
    }

private:
    std::vector<std::string>& log_;
};

class Images : public TImageList {
public:
    explicit Images(int count) : count_(count) {}
    int Count() const override { return count_; }
    IconHandle GetIcon(int index) const override { return 0x100 + index; }

private:
    int count_;
};

int Count(const std::vector<std::string>& log, const std::string& entry) {
    return static_cast<int>(std::count(log.begin(), log.end(), entry));
}

// Each thing the mouse can do on the icon, and the actions that select it (without an
// OnClick handler).
const struct MouseRow {
    TrayMouse::Action action;
    TMouseButton button;
    std::set<TTrayIconMessage> selectedBy;
} kMice[] = {
    {TrayMouse::Move, mbLeft, {}},
    {TrayMouse::Press, mbLeft, {imMouseDown}},
    {TrayMouse::Release, mbLeft, {imMouseUp, imLeftClickUp}},
    {TrayMouse::DoubleClick, mbLeft, {imDoubleClick, imLeftDoubleClick}},
    {TrayMouse::Press, mbRight, {imMouseDown}},
    {TrayMouse::Release, mbRight, {imMouseUp, imRightClickUp}},
    {TrayMouse::DoubleClick, mbRight, {imDoubleClick, imRightDoubleClick}},
    {TrayMouse::Press, mbMiddle, {imMouseDown}},
    {TrayMouse::Release, mbMiddle, {imMouseUp}},
    {TrayMouse::DoubleClick, mbMiddle, {imDoubleClick}},
};

TEST(TrayIconDecoding, EveryRestoreOnAgainstEveryMouseStep) {
    for (int action = imClick; action <= imNone; ++action) {
        for (const auto& mouse : kMice) {
            FakeTrayPlatform platform;
            TTrayIcon icon(platform);
            icon.RestoreOn = static_cast<TTrayIconMessage>(action);
            platform.Mouse(mouse.action, mouse.button);
            const bool expected = mouse.selectedBy.count(icon.RestoreOn) > 0;
            EXPECT_EQ(platform.log, expected ? std::vector<std::string>{"restore window"}
                                             : std::vector<std::string>{})
                << "RestoreOn " << action << " mouse " << mouse.action << "/" << mouse.button;
        }
    }
}

TEST(TrayIconDecoding, EveryPopupMenuOnAgainstEveryMouseStep) {
    for (int action = imClick; action <= imNone; ++action) {
        for (const auto& mouse : kMice) {
            FakeTrayPlatform platform;
            RecordingMenu menu(platform.log);
            TTrayIcon icon(platform);
            icon.RestoreOn = imNone;
            icon.PopupMenu = &menu;
            icon.PopupMenuOn = static_cast<TTrayIconMessage>(action);
            platform.Mouse(mouse.action, mouse.button);
            const bool expected = mouse.selectedBy.count(icon.PopupMenuOn) > 0;
            EXPECT_EQ(Count(platform.log, "popup 120,7"), expected ? 1 : 0)
                << "PopupMenuOn " << action << " mouse " << mouse.action << "/" << mouse.button;
            if (expected) {
                EXPECT_EQ(platform.log.front(), "activate for menu");
            }
        }
    }
}

TEST(TrayIconDecoding, RestoreComesBeforeMenuAndStepEventsLast) {
    const std::string R = "restore window", M = "popup 120,7";
    struct Case {
        TTrayIconMessage action;
        TrayMouse::Action mouse;
        TMouseButton button;
        std::vector<std::string> order;
    };
    const Case cases[] = {
        {imMouseDown, TrayMouse::Press, mbRight, {R, M, "down"}},
        {imMouseUp, TrayMouse::Release, mbMiddle, {R, M, "up"}},
        {imDoubleClick, TrayMouse::DoubleClick, mbMiddle, {R, M, "dbl"}},
        {imClick, TrayMouse::Release, mbLeft, {R, M, "click", "up"}},
        // Actions of the decoding itself come after the steps it runs.
        {imLeftClickUp, TrayMouse::Release, mbLeft, {"click", "up", R, M}},
        {imRightClickUp, TrayMouse::Release, mbRight, {"up", R, M}},
        {imLeftDoubleClick, TrayMouse::DoubleClick, mbLeft, {"dbl", R, M}},
        {imRightDoubleClick, TrayMouse::DoubleClick, mbRight, {"dbl", R, M}},
    };
    for (const auto& c : cases) {
        FakeTrayPlatform platform;
        RecordingMenu menu(platform.log);
        TTrayIcon icon(platform);
        icon.RestoreOn = c.action;
        icon.PopupMenuOn = c.action;
        icon.PopupMenu = &menu;
        icon.OnClick = [&](TTrayIcon&) { platform.log.push_back("click"); };
        icon.OnDblClick = [&](TTrayIcon&) { platform.log.push_back("dbl"); };
        icon.OnMouseDown = [&](TTrayIcon&, TMouseButton, TShiftState, int, int) {
            platform.log.push_back("down");
        };
        icon.OnMouseUp = [&](TTrayIcon&, TMouseButton, TShiftState, int, int) {
            platform.log.push_back("up");
        };
        platform.Mouse(c.mouse, c.button);
        std::vector<std::string> seen;
        for (const auto& e : platform.log)
            if (e == R || e == M || e == "click" || e == "dbl" || e == "down" || e == "up")
                seen.push_back(e);
        EXPECT_EQ(seen, c.order) << "action " << c.action;
    }
}

TEST(TrayIconDecoding, ClickActionNeedsAnOnClickHandler) {
    FakeTrayPlatform platform;
    TTrayIcon icon(platform);
    icon.RestoreOn = imClick;
    platform.Mouse(TrayMouse::Release, mbLeft);
    EXPECT_EQ(Count(platform.log, "restore window"), 0);

    int clicks = 0;
    icon.OnClick = [&](TTrayIcon& sender) {
        EXPECT_EQ(&sender, &icon);
        ++clicks;
    };
    platform.Mouse(TrayMouse::Release, mbLeft);
    EXPECT_EQ(Count(platform.log, "restore window"), 1);
    EXPECT_EQ(clicks, 1);
    // Other releases never click.
    platform.Mouse(TrayMouse::Release, mbRight);
    platform.Mouse(TrayMouse::Release, mbMiddle);
    EXPECT_EQ(clicks, 1);
}

TEST(TrayIconDecoding, MouseMoveIsReportedOnlyWhileOnClickIsAssigned) {
    FakeTrayPlatform platform;
    TTrayIcon icon(platform);
    std::vector<std::tuple<TShiftState, int, int>> moves;
    icon.OnMouseMove = [&](TTrayIcon&, TShiftState s, int x, int y) {
        moves.emplace_back(s, x, y);
    };
    platform.Mouse(TrayMouse::Move);
    EXPECT_TRUE(moves.empty());

    icon.OnClick = [](TTrayIcon&) {};
    platform.Mouse(TrayMouse::Move, mbLeft, ssCtrl);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0], std::make_tuple(ssCtrl, 120, 7));
}

TEST(TrayIconDecoding, ButtonEventsCarryButtonShiftAndCursor) {
    struct Case {
        TrayMouse::Action action;
        bool down;
        TMouseButton button;
        TShiftState buttonState;
    };
    const Case cases[] = {
        {TrayMouse::Press, true, mbLeft, ssLeft},
        {TrayMouse::Release, false, mbLeft, ssLeft},
        {TrayMouse::Press, true, mbRight, ssRight},
        {TrayMouse::Release, false, mbRight, ssRight},
        {TrayMouse::Press, true, mbMiddle, ssMiddle},
        {TrayMouse::Release, false, mbMiddle, ssMiddle},
    };
    for (const auto& c : cases) {
        FakeTrayPlatform platform;
        platform.cursor = {640, 3};
        TTrayIcon icon(platform);
        std::vector<std::tuple<bool, TMouseButton, TShiftState, int, int>> seen;
        icon.OnMouseDown = [&](TTrayIcon&, TMouseButton b, TShiftState s, int x, int y) {
            seen.emplace_back(true, b, s, x, y);
        };
        icon.OnMouseUp = [&](TTrayIcon&, TMouseButton b, TShiftState s, int x, int y) {
            seen.emplace_back(false, b, s, x, y);
        };
        platform.Mouse(c.action, c.button, ssShift | ssAlt);
        ASSERT_EQ(seen.size(), 1u) << c.action << "/" << c.button;
        EXPECT_EQ(seen[0],
                  std::make_tuple(c.down, c.button, ssShift | ssAlt | c.buttonState, 640, 3));
    }
}

TEST(TrayIconDecoding, DoubleClickRestoresOnceThroughItsDoubleClick) {
    FakeTrayPlatform platform;
    TTrayIcon icon(platform);
    for (auto step :
         {TrayMouse::Press, TrayMouse::Release, TrayMouse::DoubleClick, TrayMouse::Release})
        platform.Mouse(step, mbLeft);
    EXPECT_EQ(Count(platform.log, "restore window"), 1);
}

TEST(TrayIconDecoding, MenuActionWithoutMenuDoesNothing) {
    FakeTrayPlatform platform;
    TTrayIcon icon(platform);
    icon.RestoreOn = imNone;
    icon.PopupMenuOn = imRightClickUp;
    platform.Mouse(TrayMouse::Release, mbRight);
    EXPECT_TRUE(platform.log.empty());
}

TEST(TrayIconMessages, SessionEnd) {
    FakeTrayPlatform platform;
    TTrayIcon icon(platform);
    icon.SetVisible(true);
    platform.desktopAccepts = false; // its refusal is ignored
    platform.events->EndSession();
    EXPECT_EQ(platform.Calls(IconCall::Hide), 1);
    // The icon is gone but the component still thinks it is shown and follows the
    // window; without the icon, a minimise leaves the window on the taskbar.
    EXPECT_TRUE(icon.Visible());
    platform.events->WindowMinimized();
    EXPECT_EQ(platform.log, std::vector<std::string>{"minimise window"});
}

TEST(TrayIconWindow, TheUsersMinimiseAndRestoreWhileTheIconIsShown) {
    struct Case {
        void (TrayEvents::*event)();
        bool iconShown;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {&TrayEvents::WindowMinimized, true, {"minimise window", "hide window"}},
        {&TrayEvents::WindowRestored, true, {"restore window"}},
        {&TrayEvents::WindowMinimized, false, {}},
        {&TrayEvents::WindowRestored, false, {}},
    };
    for (const auto& c : cases) {
        FakeTrayPlatform platform;
        TTrayIcon icon(platform);
        if (c.iconShown)
            icon.SetVisible(true);
        int minimised = 0, restored = 0;
        icon.OnMinimize = [&](TTrayIcon&) { ++minimised; };
        icon.OnRestore = [&](TTrayIcon&) { ++restored; };
        (platform.events->*c.event)();
        EXPECT_EQ(platform.log, c.log);
        EXPECT_EQ(minimised, c.log.size() == 2 ? 1 : 0);
        EXPECT_EQ(restored, c.log.size() == 1 ? 1 : 0);
    }
}

// The window hides into the icon only while a notification area holds it, and comes
// back when that goes.
TEST(TrayIconWindow, FollowsTheNotificationAreaAndIsNeverLost) {
    FakeTrayPlatform platform;
    platform.desktopAccepts = false; // none yet
    TTrayIcon icon(platform);
    LoadMainWindowSettings(icon);
    EXPECT_TRUE(icon.Visible());
    EXPECT_EQ(icon.Hint(), "Lumivox语音定时器");
    EXPECT_TRUE(icon.Hide());
    EXPECT_EQ(icon.RestoreOn, imLeftClickUp);
    EXPECT_EQ(icon.PopupMenuOn, imNone);
    // The icon is offered whole in one go.
    ASSERT_EQ(platform.icon.front().kind, IconCall::Show);
    EXPECT_EQ(platform.icon.front().hint, "Lumivox语音定时器");
    EXPECT_EQ(platform.icon.front().image, platform.programIcon);

    struct Step {
        void (TrayEvents::*event)();
        bool accepts;
        std::vector<std::string> log;
    };
    const auto minimise = &TrayEvents::WindowMinimized;
    const auto appear = &TrayEvents::TrayAppeared;
    const auto gone = &TrayEvents::TrayGone;
    const Step steps[] = {
        {minimise, false, {}}, // no icon: the window minimises by itself
        {appear, true, {}},
        {minimise, true, {"minimise window", "hide window"}},
        {gone, true, {"restore window"}},
        {minimise, true, {"minimise window"}}, // to the taskbar only
        {appear, true, {}},
        {minimise, true, {"minimise window", "hide window"}},
        {appear, false, {"restore window"}}, // a shell that forgot the icon and refuses it
        {appear, true, {}},
        {gone, true, {}}, // nothing hidden, nothing to bring back
    };
    int shows = platform.Calls(IconCall::Show);
    for (const auto& s : steps) {
        platform.log.clear();
        platform.desktopAccepts = s.accepts;
        (platform.events->*s.event)();
        EXPECT_EQ(platform.log, s.log) << &s - steps;
        shows += s.event == appear;
        EXPECT_EQ(platform.Calls(IconCall::Show), shows) << &s - steps;
    }
    EXPECT_EQ(platform.icon.back().hint, "Lumivox语音定时器");

    // An icon switched off stays off whatever appears.
    icon.SetVisible(false);
    platform.events->TrayAppeared();
    EXPECT_EQ(platform.Calls(IconCall::Show), shows);
}

// Whether the component acts on the user's minimise: it does while its icon is shown.
std::vector<std::string> MinimiseLog(FakeTrayPlatform& platform) {
    platform.log.clear();
    platform.events->WindowMinimized();
    return platform.log;
}

const std::vector<std::string> kFollowed = {"minimise window", "hide window"};
const std::vector<std::string> kNotFollowed = {};

TEST(TrayIconVisible, EveryAssignmentCallsTheDesktopAndMovesTheHook) {
    FakeTrayPlatform platform;
    TTrayIcon icon(platform);
    EXPECT_FALSE(icon.Visible());
    EXPECT_TRUE(platform.icon.empty()); // construction shows nothing
    EXPECT_EQ(MinimiseLog(platform), kNotFollowed);
    icon.SetHide(false);
    icon.SetVisible(true);
    icon.SetVisible(true);
    EXPECT_EQ(platform.Calls(IconCall::Show), 2);
    EXPECT_TRUE(icon.Hide());
    EXPECT_EQ(MinimiseLog(platform), kFollowed);
    icon.SetVisible(false);
    icon.SetVisible(false);
    EXPECT_EQ(platform.Calls(IconCall::Hide), 2);
    EXPECT_FALSE(icon.Hide());
    EXPECT_EQ(MinimiseLog(platform), kNotFollowed);

    // The program's own image, no tip.
    EXPECT_EQ(platform.icon.front().image, platform.programIcon);
    EXPECT_EQ(platform.icon.front().hint, "");
}

TEST(TrayIconVisible, FailedAddAndFailedDelete) {
    FakeTrayPlatform platform;
    TTrayIcon icon(platform);
    platform.desktopAccepts = false;
    icon.SetHide(false);
    try {
        icon.SetVisible(true);
        FAIL() << "no exception";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Cannot Create System Shell Notification Icon");
    }
    EXPECT_TRUE(icon.Visible());
    EXPECT_EQ(MinimiseLog(platform), kNotFollowed);
    EXPECT_FALSE(icon.Hide());

    platform.desktopAccepts = true;
    icon.SetVisible(true);
    platform.desktopAccepts = false;
    EXPECT_THROW(
        {
            try {
                icon.SetVisible(false);
            } catch (const EOutOfResources& e) {
                EXPECT_STREQ(e.what(), "Cannot Remove System Shell Notification Icon");
                throw;
            }
        },
        EOutOfResources);
    EXPECT_FALSE(icon.Visible());
    EXPECT_EQ(MinimiseLog(platform), kFollowed);
    EXPECT_TRUE(icon.Hide());
}

TEST(TrayIconVisible, DestructionRemovesIconAndStopsListening) {
    FakeTrayPlatform platform;
    {
        TTrayIcon icon(platform);
        icon.SetVisible(true);
        platform.desktopAccepts = false; // a failed removal is ignored here
    }
    EXPECT_EQ(platform.icon.back().kind, IconCall::Hide);
    EXPECT_EQ(platform.events, nullptr);
}

TEST(TrayIconHint, ByteLimitAndRepeats) {
    FakeTrayPlatform platform;
    TTrayIcon icon(platform);
    icon.SetVisible(true);
    struct Step {
        std::string hint;
        bool taken;
    };
    const std::string chinese31 = [] {
        std::string s;
        for (int i = 0; i < 31; ++i)
            s += "语";
        return s;
    }();
    const Step steps[] = {
        {std::string(63, 'a'), true},  {std::string(64, 'b'), false},
        {std::string(63, 'a'), false}, // same again
        {"Lumivox语音定时器", true},   // 7 + 5 * 2 = 17 bytes
        {chinese31 + "x", true},       // 63 bytes in the code page, 94 in UTF-8
        {chinese31 + "语", false},     // 64
        {chinese31 + "xy", false},     // 64
    };
    std::string expected;
    for (const auto& s : steps) {
        const auto calls = platform.icon.size();
        icon.SetHint(s.hint);
        if (s.taken)
            expected = s.hint;
        EXPECT_EQ(icon.Hint(), expected) << s.hint;
        EXPECT_EQ(platform.icon.size(), calls + (s.taken ? 1 : 0)) << s.hint;
        if (s.taken) {
            EXPECT_EQ(platform.icon.back().kind, IconCall::Change);
            EXPECT_EQ(platform.icon.back().hint, expected);
        }
    }
}

TEST(TrayIconHint, EmptyAfterNonEmptyTakesOnlyTheTipAway) {
    FakeTrayPlatform platform;
    TTrayIcon icon(platform);
    icon.SetVisible(true);
    icon.SetHint("tip");
    icon.SetHint("");
    EXPECT_EQ(platform.icon.back().kind, IconCall::Change);
    EXPECT_EQ(platform.icon.back().hint, "");
    EXPECT_EQ(platform.icon.back().image, platform.programIcon);
    // Mouse notifications still work.
    icon.RestoreOn = imLeftClickUp;
    platform.Mouse(TrayMouse::Release, mbLeft);
    EXPECT_EQ(Count(platform.log, "restore window"), 1);
}

TEST(TrayIconHint, HiddenIconKeepsTheTipWithoutDesktopCalls) {
    FakeTrayPlatform platform;
    TTrayIcon icon(platform);
    icon.SetHint("later");
    EXPECT_TRUE(platform.icon.empty());
    icon.SetVisible(true);
    EXPECT_EQ(platform.icon.back().hint, "later");
}

TEST(Cp936Length, CountsAsciiOnceOthersTwice) {
    EXPECT_EQ(Cp936Length(""), 0u);
    EXPECT_EQ(Cp936Length("abc"), 3u);
    EXPECT_EQ(Cp936Length("语音"), 4u);
    EXPECT_EQ(Cp936Length("a\xC3\xA9"), 3u);        // é
    EXPECT_EQ(Cp936Length("\xF0\x9F\x98\x80"), 2u); // outside the code page
}

TEST(TrayIconAnimation, ThreeImagesRunInACircle) {
    FakeTrayPlatform platform;
    Images images(3);
    TTrayIcon icon(platform);
    icon.BeginLoad();
    icon.Icons = &images;
    icon.SetAnimate(true);
    icon.SetVisible(true);
    icon.Loaded();
    EXPECT_TRUE(icon.GetAnimate());
    EXPECT_TRUE(platform.timer->Enabled());
    EXPECT_EQ(platform.icon.back().image, 0x100u);
    std::vector<IconHandle> shown;
    for (int i = 0; i < 4; ++i) {
        platform.timer->Tick();
        shown.push_back(platform.icon.back().image);
    }
    EXPECT_EQ(shown, (std::vector<IconHandle>{0x101, 0x102, 0x100, 0x101}));
    EXPECT_EQ(icon.IconIndex(), 1);
}

TEST(TrayIconAnimation, WithoutImagesItStaysOff) {
    FakeTrayPlatform platform;
    TTrayIcon icon(platform);
    EXPECT_FALSE(platform.timer->Enabled());
    EXPECT_EQ(icon.GetAnimateInterval(), 1000);
    icon.BeginLoad();
    icon.SetAnimate(true); // a form may store it
    icon.Loaded();
    EXPECT_FALSE(icon.GetAnimate());
    icon.SetAnimate(true);
    EXPECT_FALSE(icon.GetAnimate());
    EXPECT_FALSE(platform.timer->Enabled());
    icon.SetVisible(true);
    const auto calls = platform.icon.size();
    platform.timer->Tick(); // a stray tick
    EXPECT_EQ(icon.IconIndex(), 0);
    EXPECT_EQ(platform.icon.size(), calls);
}

TEST(TrayIconAnimation, RemovedOrEmptyListIsNeverIndexed) {
    FakeTrayPlatform platform;
    Images images(3), none(0);
    RecordingMenu menu(platform.log);
    TTrayIcon icon(platform);
    icon.SetVisible(true);
    icon.Icons = &images;
    icon.PopupMenu = &menu;
    icon.SetAnimate(true);
    icon.Notification(&images, TOperation::opRemove);
    EXPECT_EQ(icon.Icons, nullptr);
    EXPECT_EQ(icon.PopupMenu, &menu);
    EXPECT_TRUE(platform.timer->Enabled()); // only forgotten
    platform.timer->Tick();
    EXPECT_EQ(icon.IconIndex(), 0);
    icon.Icons = &none;
    platform.timer->Tick();
    icon.SetIconIndex(2);
    EXPECT_EQ(platform.icon.back().image, platform.programIcon);
    icon.Notification(&menu, TOperation::opRemove);
    EXPECT_EQ(icon.PopupMenu, nullptr);
}

TEST(TrayIconIcon, IndexAndDefault) {
    FakeTrayPlatform platform;
    Images images(2);
    TTrayIcon icon(platform);
    icon.SetVisible(true);
    icon.Icons = &images;
    icon.SetIconIndex(1);
    EXPECT_EQ(platform.icon.back().image, 0x101u);
    platform.programIcon = 0xB00;
    icon.SetDefaultIcon();
    EXPECT_EQ(platform.icon.back().image, 0xB00u);
    EXPECT_EQ(icon.IconIndex(), 1);
}

} // namespace
