#include "tray/trayicon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "faketrayplatform.h"
#include "tray/ansitext.h"

using namespace lumivox;
using lumivox::test::FakeTrayPlatform;

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

const std::vector<unsigned> kMouseMessages = {msg::kMouseMove,
                                              msg::kLButtonDown,
                                              msg::kLButtonUp,
                                              msg::kLButtonDblClk,
                                              msg::kRButtonDown,
                                              msg::kRButtonUp,
                                              msg::kRButtonDblClk,
                                              msg::kMButtonDown,
                                              msg::kMButtonUp,
                                              msg::kMButtonDblClk,
                                              0x20A /* wheel: not a tray message */};

// For each callback message, the actions that select it (without an OnClick handler).
const std::map<unsigned, std::set<TTrayIconMessage>> kSelectedBy = {
    {msg::kMouseMove, {}},
    {msg::kLButtonDown, {imMouseDown}},
    {msg::kLButtonUp, {imMouseUp, imLeftClickUp}},
    {msg::kLButtonDblClk, {imDoubleClick, imLeftDoubleClick}},
    {msg::kRButtonDown, {imMouseDown}},
    {msg::kRButtonUp, {imMouseUp, imRightClickUp}},
    {msg::kRButtonDblClk, {imDoubleClick, imRightDoubleClick}},
    {msg::kMButtonDown, {imMouseDown}},
    {msg::kMButtonUp, {imMouseUp}},
    {msg::kMButtonDblClk, {imDoubleClick}},
    {0x20A, {}},
};

TEST(TrayIconDecoding, EveryRestoreOnAgainstEveryMouseMessage) {
    for (int action = imClick; action <= imNone; ++action) {
        for (unsigned message : kMouseMessages) {
            FakeTrayPlatform platform;
            TTrayIcon icon(platform);
            icon.RestoreOn = static_cast<TTrayIconMessage>(action);
            platform.log.clear();
            platform.Send(msg::kTrayCallback, 0, message);
            const bool expected = kSelectedBy.at(message).count(icon.RestoreOn) > 0;
            EXPECT_EQ(Count(platform.log, "app restore"), expected ? 1 : 0)
                << "RestoreOn " << action << " message 0x" << std::hex << message;
            if (expected) {
                const std::vector<std::string> restore = {"app restore", "show app",
                                                          "foreground app"};
                EXPECT_EQ(platform.log, restore);
            }
        }
    }
}

TEST(TrayIconDecoding, EveryPopupMenuOnAgainstEveryMouseMessage) {
    for (int action = imClick; action <= imNone; ++action) {
        for (unsigned message : kMouseMessages) {
            FakeTrayPlatform platform;
            RecordingMenu menu(platform.log);
            TTrayIcon icon(platform);
            icon.RestoreOn = imNone;
            icon.PopupMenu = &menu;
            icon.PopupMenuOn = static_cast<TTrayIconMessage>(action);
            platform.log.clear();
            platform.Send(msg::kTrayCallback, 0, message);
            const bool expected = kSelectedBy.at(message).count(icon.PopupMenuOn) > 0;
            EXPECT_EQ(Count(platform.log, "popup 120,7"), expected ? 1 : 0)
                << "PopupMenuOn " << action << " message 0x" << std::hex << message;
            if (expected) {
                EXPECT_EQ(platform.log.front(), "foreground form");
            }
        }
    }
}

TEST(TrayIconDecoding, RestoreComesBeforeMenuAndStepEventsLast) {
    const std::string R = "app restore", M = "popup 120,7";
    struct Case {
        TTrayIconMessage action;
        unsigned message;
        std::vector<std::string> order;
    };
    const Case cases[] = {
        {imMouseDown, msg::kRButtonDown, {R, M, "down"}},
        {imMouseUp, msg::kMButtonUp, {R, M, "up"}},
        {imDoubleClick, msg::kMButtonDblClk, {R, M, "dbl"}},
        {imClick, msg::kLButtonUp, {R, M, "click", "up"}},
        // Actions of the decoding itself come after the steps it runs.
        {imLeftClickUp, msg::kLButtonUp, {"click", "up", R, M}},
        {imRightClickUp, msg::kRButtonUp, {"up", R, M}},
        {imLeftDoubleClick, msg::kLButtonDblClk, {"dbl", R, M}},
        {imRightDoubleClick, msg::kRButtonDblClk, {"dbl", R, M}},
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
        platform.log.clear();
        platform.Send(msg::kTrayCallback, 0, c.message);
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
    platform.Send(msg::kTrayCallback, 0, msg::kLButtonUp);
    EXPECT_EQ(Count(platform.log, "app restore"), 0);

    int clicks = 0;
    icon.OnClick = [&](TTrayIcon& sender) {
        EXPECT_EQ(&sender, &icon);
        ++clicks;
    };
    platform.Send(msg::kTrayCallback, 0, msg::kLButtonUp);
    EXPECT_EQ(Count(platform.log, "app restore"), 1);
    EXPECT_EQ(clicks, 1);
    // Other releases never click.
    platform.Send(msg::kTrayCallback, 0, msg::kRButtonUp);
    platform.Send(msg::kTrayCallback, 0, msg::kMButtonUp);
    EXPECT_EQ(clicks, 1);
}

TEST(TrayIconDecoding, MouseMoveIsReportedOnlyWhileOnClickIsAssigned) {
    FakeTrayPlatform platform;
    TTrayIcon icon(platform);
    std::vector<std::tuple<TShiftState, int, int>> moves;
    icon.OnMouseMove = [&](TTrayIcon&, TShiftState s, int x, int y) {
        moves.emplace_back(s, x, y);
    };
    platform.Send(msg::kTrayCallback, 0, msg::kMouseMove);
    EXPECT_TRUE(moves.empty());

    icon.OnClick = [](TTrayIcon&) {};
    platform.keys[kVkControl] = -128;
    platform.Send(msg::kTrayCallback, 0, msg::kMouseMove);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0], std::make_tuple(ssCtrl, 120, 7));
}

TEST(TrayIconDecoding, ButtonEventsCarryButtonShiftAndCursor) {
    struct Case {
        unsigned message;
        bool down;
        TMouseButton button;
        TShiftState buttonState;
    };
    const Case cases[] = {
        {msg::kLButtonDown, true, mbLeft, ssLeft},     {msg::kLButtonUp, false, mbLeft, ssLeft},
        {msg::kRButtonDown, true, mbRight, ssRight},   {msg::kRButtonUp, false, mbRight, ssRight},
        {msg::kMButtonDown, true, mbMiddle, ssMiddle}, {msg::kMButtonUp, false, mbMiddle, ssMiddle},
    };
    for (const auto& c : cases) {
        FakeTrayPlatform platform;
        platform.keys[kVkShift] = -1;
        platform.keys[kVkMenu] = -32768;
        platform.keys[kVkControl] = 1; // toggled, not held
        platform.cursor = {640, 3};
        TTrayIcon icon(platform);
        std::vector<std::tuple<bool, TMouseButton, TShiftState, int, int>> seen;
        icon.OnMouseDown = [&](TTrayIcon&, TMouseButton b, TShiftState s, int x, int y) {
            seen.emplace_back(true, b, s, x, y);
        };
        icon.OnMouseUp = [&](TTrayIcon&, TMouseButton b, TShiftState s, int x, int y) {
            seen.emplace_back(false, b, s, x, y);
        };
        platform.Send(msg::kTrayCallback, 0, c.message);
        ASSERT_EQ(seen.size(), 1u) << std::hex << c.message;
        EXPECT_EQ(seen[0],
                  std::make_tuple(c.down, c.button, ssShift | ssAlt | c.buttonState, 640, 3));
    }
}

TEST(TrayIconDecoding, WParamIsNeverExamined) {
    for (std::uintptr_t wParam : {std::uintptr_t{0}, std::uintptr_t{1}, ~std::uintptr_t{0}}) {
        FakeTrayPlatform platform;
        TTrayIcon icon(platform);
        icon.RestoreOn = imLeftClickUp;
        platform.Send(msg::kTrayCallback, wParam, msg::kLButtonUp);
        EXPECT_EQ(Count(platform.log, "app restore"), 1) << wParam;
    }
}

TEST(TrayIconDecoding, DoubleClickRestoresOnceThroughItsDoubleClickMessage) {
    FakeTrayPlatform platform;
    TTrayIcon icon(platform);
    for (unsigned m : {msg::kLButtonDown, msg::kLButtonUp, msg::kLButtonDblClk, msg::kLButtonUp})
        platform.Send(msg::kTrayCallback, 0, m);
    EXPECT_EQ(Count(platform.log, "app restore"), 1);
}

TEST(TrayIconDecoding, MenuActionWithoutMenuDoesNothing) {
    FakeTrayPlatform platform;
    TTrayIcon icon(platform);
    icon.RestoreOn = imNone;
    icon.PopupMenuOn = imRightClickUp;
    platform.log.clear();
    platform.Send(msg::kTrayCallback, 0, msg::kRButtonUp);
    EXPECT_TRUE(platform.log.empty());
}

TEST(TrayIconMessages, SessionEndAndOthers) {
    FakeTrayPlatform platform;
    TTrayIcon icon(platform);
    icon.SetVisible(true);
    EXPECT_EQ(platform.Send(msg::kQueryEndSession), 1);
    const int deletes = platform.ShellCalls(NotifyAction::Delete);
    EXPECT_EQ(platform.Send(msg::kEndSession, 0, 0), 0);
    EXPECT_EQ(platform.ShellCalls(NotifyAction::Delete), deletes + 1);
    // The icon is gone but the component still thinks it is shown and hooked.
    EXPECT_TRUE(icon.Visible());
    EXPECT_EQ(platform.hooks.size(), 1u);
    EXPECT_EQ(platform.Send(0x000F /* paint */), 0);
}

TEST(TrayIconHook, ExactSystemCommandsOnly) {
    struct Case {
        unsigned message;
        std::uintptr_t wParam;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {msg::kSysCommand, 0xF020, {"app minimise", "hide app"}},
        {msg::kSysCommand, 0xF021, {}},
        {msg::kSysCommand, 0xF120, {"app restore", "show app", "foreground app"}},
        {msg::kSysCommand, 0xF122, {}},
        {0x0111 /* command */, 0xF020, {}},
    };
    for (const auto& c : cases) {
        FakeTrayPlatform platform;
        TTrayIcon icon(platform);
        icon.SetVisible(true);
        int minimised = 0;
        icon.OnMinimize = [&](TTrayIcon&) { ++minimised; };
        platform.log.clear();
        EXPECT_FALSE(platform.SendToApplication(c.message, c.wParam));
        EXPECT_EQ(platform.log, c.log) << std::hex << c.wParam;
        EXPECT_EQ(minimised, c.wParam == 0xF020 && c.message == msg::kSysCommand ? 1 : 0);
    }
}

TEST(TrayIconVisible, EveryAssignmentCallsTheShellAndMovesTheHook) {
    FakeTrayPlatform platform;
    TTrayIcon icon(platform);
    EXPECT_FALSE(icon.Visible());
    EXPECT_TRUE(platform.shell.empty()); // construction shows nothing
    icon.SetHide(false);
    icon.SetVisible(true);
    icon.SetVisible(true);
    EXPECT_EQ(platform.ShellCalls(NotifyAction::Add), 2);
    EXPECT_TRUE(icon.Hide());
    EXPECT_EQ(platform.hooks.count(&icon), 1u);
    icon.SetVisible(false);
    icon.SetVisible(false);
    EXPECT_EQ(platform.ShellCalls(NotifyAction::Delete), 2);
    EXPECT_FALSE(icon.Hide());
    EXPECT_TRUE(platform.hooks.empty());

    const NotifyIconData& d = platform.shell.front().data;
    EXPECT_EQ(d.cbSize, 488u);
    EXPECT_EQ(d.hWnd, FakeTrayPlatform::kUtilityWindow);
    EXPECT_EQ(d.uFlags, kNifMessage | kNifIcon);
    EXPECT_EQ(d.uCallbackMessage, 1025u);
    EXPECT_EQ(d.hIcon, platform.appIcon);
    EXPECT_EQ(icon.GetHandle(), FakeTrayPlatform::kUtilityWindow);
}

TEST(TrayIconVisible, DistinctInstancesHaveDistinctIds) {
    FakeTrayPlatform platform;
    TTrayIcon a(platform), b(platform);
    EXPECT_NE(a.NotifyData().uID, b.NotifyData().uID);
}

TEST(TrayIconVisible, FailedAddAndFailedDelete) {
    FakeTrayPlatform platform;
    TTrayIcon icon(platform);
    platform.shellAccepts = false;
    icon.SetHide(false);
    try {
        icon.SetVisible(true);
        FAIL() << "no exception";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Cannot Create System Shell Notification Icon");
    }
    EXPECT_TRUE(icon.Visible());
    EXPECT_TRUE(platform.hooks.empty());
    EXPECT_FALSE(icon.Hide());

    platform.shellAccepts = true;
    icon.SetVisible(true);
    platform.shellAccepts = false;
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
    EXPECT_EQ(platform.hooks.size(), 1u);
    EXPECT_TRUE(icon.Hide());
}

TEST(TrayIconVisible, DestructionRemovesIconHookAndWindow) {
    FakeTrayPlatform platform;
    {
        TTrayIcon icon(platform);
        icon.SetVisible(true);
        platform.shellAccepts = false; // a failed delete is ignored here
    }
    EXPECT_EQ(platform.shell.back().action, NotifyAction::Delete);
    EXPECT_TRUE(platform.hooks.empty());
    EXPECT_EQ(platform.utilityWindowsAlive, 0);
}

std::string Tip(const NotifyIconData& d) {
    return std::string(d.szTip);
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
        const auto calls = platform.shell.size();
        icon.SetHint(s.hint);
        if (s.taken)
            expected = s.hint;
        EXPECT_EQ(icon.Hint(), expected) << s.hint;
        EXPECT_EQ(Tip(icon.NotifyData()), expected) << s.hint;
        EXPECT_EQ(platform.shell.size(), calls + (s.taken ? 1 : 0)) << s.hint;
        if (s.taken) {
            EXPECT_EQ(platform.shell.back().action, NotifyAction::Modify);
            EXPECT_EQ(Tip(platform.shell.back().data), expected);
            EXPECT_EQ(platform.shell.back().data.uFlags, kNifMessage | kNifIcon | kNifTip);
        }
    }
}

TEST(TrayIconHint, EmptyAfterNonEmptyRemovesOnlyTheTipFlag) {
    FakeTrayPlatform platform;
    TTrayIcon icon(platform);
    icon.SetVisible(true);
    icon.SetHint("tip");
    icon.SetHint("");
    EXPECT_EQ(platform.shell.back().action, NotifyAction::Modify);
    EXPECT_EQ(platform.shell.back().data.uFlags, kNifMessage | kNifIcon);
    EXPECT_EQ(Tip(platform.shell.back().data), "");
    EXPECT_EQ(platform.shell.back().data.hIcon, platform.appIcon);
    // Mouse notifications still work.
    icon.RestoreOn = imLeftClickUp;
    platform.Send(msg::kTrayCallback, 0, msg::kLButtonUp);
    EXPECT_EQ(Count(platform.log, "app restore"), 1);
}

TEST(TrayIconHint, HiddenIconKeepsTheTipWithoutShellCalls) {
    FakeTrayPlatform platform;
    TTrayIcon icon(platform);
    icon.SetHint("later");
    EXPECT_TRUE(platform.shell.empty());
    icon.SetVisible(true);
    EXPECT_EQ(Tip(platform.shell.back().data), "later");
}

TEST(Cp936Length, CountsAsciiOnceOthersTwice) {
    EXPECT_EQ(Cp936Length(""), 0u);
    EXPECT_EQ(Cp936Length("abc"), 3u);
    EXPECT_EQ(Cp936Length("语音"), 4u);
    EXPECT_EQ(Cp936Length("a\xC3\xA9"), 3u);        // é
    EXPECT_EQ(Cp936Length("\xF0\x9F\x98\x80"), 2u); // outside the code page
    EXPECT_EQ(Utf8Prefix("语音", 5), "语");
    EXPECT_EQ(Utf8Prefix("ab\xE8", 10), "ab"); // cut sequence dropped
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
    EXPECT_EQ(platform.shell.back().data.hIcon, 0x100u);
    std::vector<IconHandle> shown;
    for (int i = 0; i < 4; ++i) {
        platform.timer->Tick();
        shown.push_back(platform.shell.back().data.hIcon);
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
    const auto calls = platform.shell.size();
    platform.timer->Tick(); // a stray tick
    EXPECT_EQ(icon.IconIndex(), 0);
    EXPECT_EQ(platform.shell.size(), calls);
}

TEST(TrayIconAnimation, RemovedOrEmptyListIsNeverIndexed) {
    FakeTrayPlatform platform;
    Images images(3), none(0);
    RecordingMenu menu(platform.log);
    TTrayIcon icon(platform);
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
    EXPECT_EQ(icon.NotifyData().hIcon, platform.appIcon);
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
    EXPECT_EQ(platform.shell.back().data.hIcon, 0x101u);
    platform.appIcon = 0xB00;
    icon.SetDefaultIcon();
    EXPECT_EQ(platform.shell.back().data.hIcon, 0xB00u);
    EXPECT_EQ(icon.IconIndex(), 1);
}

} // namespace
