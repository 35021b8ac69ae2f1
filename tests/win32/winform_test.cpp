// The Win32 window as built matches the window as drawn.
#include "app/win32/winform.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "expectedwindow.h"
#include "maker.h"

namespace layout = lumivox::layout;
using Id = lumivox::ControlId;
using lumivox::testing::ExpectedCombo;
using lumivox::testing::ExpectedControl;
using lumivox::testing::kExpectedCombos;
using lumivox::testing::kExpectedControls;
using lumivox::win::Wide;

namespace {

std::wstring TextOf(HWND control) {
    wchar_t text[512] = {};
    GetWindowTextW(control, text, 512);
    return text;
}

// Every control by its id (the builder numbers them from 100 on).
std::map<lumivox::ControlId, HWND> ControlsOf(HWND window) {
    std::map<lumivox::ControlId, HWND> found;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM param) {
            const int id = GetDlgCtrlID(child) - 100;
            if (id > 0 && static_cast<std::size_t>(id) < lumivox::kControlIdCount)
                (*reinterpret_cast<std::map<lumivox::ControlId, HWND>*>(
                    param))[static_cast<lumivox::ControlId>(id)] = child;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

const ExpectedControl& Expected(lumivox::ControlId id) {
    for (const ExpectedControl& e : kExpectedControls)
        if (e.id == id)
            return e;
    throw std::out_of_range("not drawn");
}

TEST(Win32Window, EveryControlAsDrawn) {
    TForm1 form;
    if (!form.Create(SW_SHOWNOACTIVATE))
        GTEST_SKIP() << "no display for windows";
    RECT client;
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, 544);
    EXPECT_EQ(client.bottom, 362);
    const LONG style = GetWindowLongW(form.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_EQ(TextOf(form.Handle()), Wide(lumivox::maker::kTitle));

    const auto controls = ControlsOf(form.Handle());
    ASSERT_EQ(controls.size(), std::size(kExpectedControls));
    for (const ExpectedControl& e : kExpectedControls) {
        SCOPED_TRACE(std::string(lumivox::NameOf(e.id)));
        const layout::Control& c = layout::Find(e.id);
        HWND h = controls.at(e.id);
        EXPECT_EQ(h, form.Control(e.id));
        // Win32 group boxes hold no controls: theirs sit on the group's parent.
        int left = e.left, top = e.top;
        for (lumivox::ControlId parent = e.parent;
             parent != Id::Form1 && std::string(Expected(parent).kind) == "Group";
             parent = Expected(parent).parent) {
            left += Expected(parent).left;
            top += Expected(parent).top;
        }
        RECT rect;
        GetWindowRect(h, &rect);
        MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&rect), 2);
        RECT area;
        GetClientRect(GetParent(h), &area);
        if (c.kind != layout::Kind::Page && c.dock == layout::Dock::None) {
            EXPECT_EQ(rect.left, left);
            EXPECT_EQ(rect.top, top);
        }
        if (c.dock == layout::Dock::Right) {
            EXPECT_EQ(rect.left, area.right - e.width);
            EXPECT_EQ(rect.bottom - rect.top, area.bottom);
        }
        if (c.dock == layout::Dock::Bottom) {
            EXPECT_EQ(rect.top, area.bottom - e.height);
        }
        if (c.kind != layout::Kind::Label && c.kind != layout::Kind::Link &&
            c.kind != layout::Kind::Page && c.dock == layout::Dock::None) {
            EXPECT_EQ(rect.right - rect.left, e.width);
        }
        if (c.kind != layout::Kind::Page && c.kind != layout::Kind::Memo &&
            c.kind != layout::Kind::Panel) {
            EXPECT_EQ(TextOf(h), Wide(e.text));
        }
        if (c.kind != layout::Kind::Page) {
            EXPECT_EQ((GetWindowLongW(h, GWL_STYLE) & WS_VISIBLE) != 0, e.visible);
        }
        EXPECT_EQ(IsWindowEnabled(h) != FALSE, e.enabled);

        if (c.kind == layout::Kind::Page || c.kind == layout::Kind::Panel)
            continue; // containers draw no text
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), sizeof font, &font);
        const layout::Font look = layout::FontOf(c.font);
        EXPECT_EQ(font.lfHeight, -look.pixelHeight);
        EXPECT_EQ(font.lfWeight >= FW_BOLD, look.bold);
        EXPECT_EQ(font.lfUnderline != 0, look.underline);
        EXPECT_EQ(std::wstring(font.lfFaceName), L"宋体");
    }
    for (const ExpectedCombo& e : kExpectedCombos) {
        SCOPED_TRACE(std::string(lumivox::NameOf(e.id)));
        HWND h = controls.at(e.id);
        EXPECT_EQ(SendMessageW(h, CB_GETCOUNT, 0, 0), e.last - e.first + 1);
        EXPECT_EQ(SendMessageW(h, CB_GETCURSEL, 0, 0), e.selected);
        EXPECT_EQ((GetWindowLongW(h, GWL_STYLE) & 3) == CBS_DROPDOWN, e.editable);
    }
    // The help memo holds its lines and cannot be edited.
    HWND memo = controls.at(Id::mmoHelp);
    EXPECT_EQ(SendMessageW(memo, EM_GETLINECOUNT, 0, 0), 14);
    EXPECT_TRUE(GetWindowLongW(memo, GWL_STYLE) & ES_READONLY);
}

// Tab walks the timer page in the table's order, skips the hidden button and the
// disabled Stop, then reaches the page tabs and comes round again.
TEST(Win32Window, TabWalksTheTimerPageInOrder) {
    TForm1 form;
    if (!form.Create(SW_SHOWNOACTIVATE))
        GTEST_SKIP() << "no display for windows";
    const auto controls = ControlsOf(form.Handle());
    auto nameOf = [&](HWND h) {
        for (const auto& [id, control] : controls)
            if (control == h)
                return std::string(lumivox::NameOf(id));
        return std::string("?");
    };
    std::vector<std::string> expected;
    for (const layout::Control* c : layout::TabChain(Id::ts1))
        if (c->enabled)
            expected.push_back(std::string(lumivox::NameOf(c->id)));
    expected.push_back("pgc1");
    expected.push_back(expected.front());

    HWND at = controls.at(Id::chkHour);
    std::vector<std::string> walked{nameOf(at)};
    while (walked.size() < expected.size()) {
        at = GetNextDlgTabItem(form.Handle(), at, FALSE);
        walked.push_back(nameOf(at));
    }
    EXPECT_EQ(walked, expected);
}

// Controls without a caption are named by the hidden label created just before them,
// which is where Windows' accessibility looks for a name.
TEST(Win32Window, UncaptionedControlsAreNamedByTheLabelBeforeThem) {
    TForm1 form;
    if (!form.Create(SW_SHOWNOACTIVATE))
        GTEST_SKIP() << "no display for windows";
    const auto controls = ControlsOf(form.Handle());
    const std::pair<Id, const wchar_t*> names[] = {
        {Id::cbbHour, L"倒计时 时"},
        {Id::cbbMin, L"分"},
        {Id::cbbSec, L"秒"},
        {Id::cbbLastMin, L"最后几分钟"},
        {Id::cbbPerMin, L"每几分钟报数"},
        {Id::cbbLastSec, L"最后几秒钟"},
        {Id::cbbPerSec, L"每几秒钟报数"},
        {Id::cbbQuietFrom, L"夜间免报 从几点"},
        {Id::cbbQuietTo, L"到几点"},
        {Id::cbbVolume, L"音量 百分比"},
        {Id::cbbUntilHour, L"倒计时到 时"},
        {Id::cbbUntilMin, L"分"},
        {Id::cbbUntilSec, L"秒"},
        {Id::edtHotKey, L"报时快捷键"},
        {Id::mmoHelp, L"说明"},
    };
    for (const auto& [id, name] : names) {
        HWND label = GetWindow(controls.at(id), GW_HWNDPREV);
        EXPECT_EQ(TextOf(label), name) << lumivox::NameOf(id);
        EXPECT_FALSE(IsWindowVisible(label)) << lumivox::NameOf(id);
        EXPECT_EQ(GetDlgCtrlID(label), -1) << lumivox::NameOf(id);
    }
}

} // namespace
