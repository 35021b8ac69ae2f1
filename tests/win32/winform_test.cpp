// The Win32 window as built matches the one description both front-ends build from.
#include "app/win32/winform.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace layout = lumivox::layout;
using lumivox::win::Wide;

namespace {

std::wstring TextOf(HWND control) {
    wchar_t text[512] = {};
    GetWindowTextW(control, text, 512);
    return text;
}

// Every control by its place in the table (the builder numbers them from 100 on).
std::map<std::size_t, HWND> ControlsOf(HWND window) {
    std::map<std::size_t, HWND> found;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM param) {
            const int id = GetDlgCtrlID(child) - 100;
            if (id >= 0 && static_cast<std::size_t>(id) < layout::Controls().size())
                (*reinterpret_cast<std::map<std::size_t, HWND>*>(param))[id] = child;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST(Win32Window, EveryControlAsDescribed) {
    TForm1 form;
    if (!form.Create(SW_SHOWNOACTIVATE))
        GTEST_SKIP() << "no display for windows";
    RECT client;
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, layout::Window().clientWidth);
    EXPECT_EQ(client.bottom, layout::Window().clientHeight);
    const LONG style = GetWindowLongW(form.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_EQ(TextOf(form.Handle()), Wide(layout::Window().title));

    const auto controls = ControlsOf(form.Handle());
    const auto& all = layout::Controls();
    ASSERT_EQ(controls.size(), all.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        const layout::Control& c = all[i];
        SCOPED_TRACE(c.name);
        HWND h = controls.at(i);
        // Win32 group boxes hold no controls: theirs sit on the group's parent.
        int left = c.left, top = c.top;
        std::string parent = c.parent;
        while (parent != "Form1" && layout::Find(parent).kind == layout::Kind::Group) {
            left += layout::Find(parent).left;
            top += layout::Find(parent).top;
            parent = layout::Find(parent).parent;
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
            EXPECT_EQ(rect.left, area.right - c.width);
            EXPECT_EQ(rect.bottom - rect.top, area.bottom);
        }
        if (c.dock == layout::Dock::Bottom)
            EXPECT_EQ(rect.top, area.bottom - c.height);
        if (c.kind != layout::Kind::Label && c.kind != layout::Kind::Link &&
            c.kind != layout::Kind::Page && c.dock == layout::Dock::None)
            EXPECT_EQ(rect.right - rect.left, c.width);

        if (c.kind == layout::Kind::Combo) {
            EXPECT_EQ(SendMessageW(h, CB_GETCOUNT, 0, 0), c.lastItem - c.firstItem + 1);
            EXPECT_EQ(SendMessageW(h, CB_GETCURSEL, 0, 0), c.selected);
            EXPECT_EQ((GetWindowLongW(h, GWL_STYLE) & 3) == CBS_DROPDOWN, c.editable);
        }
        if (c.kind != layout::Kind::Page && c.kind != layout::Kind::Memo &&
            c.kind != layout::Kind::Panel)
            EXPECT_EQ(TextOf(h), Wide(c.text));
        if (c.kind != layout::Kind::Page)
            EXPECT_EQ((GetWindowLongW(h, GWL_STYLE) & WS_VISIBLE) != 0, c.visible);
        EXPECT_EQ(IsWindowEnabled(h) != FALSE, c.enabled);

        if (c.kind == layout::Kind::Page || c.kind == layout::Kind::Panel)
            continue; // containers draw no text
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), sizeof font, &font);
        const layout::Font look = layout::FontOf(c.font);
        EXPECT_EQ(font.lfHeight, -look.pixelHeight);
        EXPECT_EQ(font.lfWeight >= FW_BOLD, look.bold);
        EXPECT_EQ(font.lfUnderline != 0, look.underline);
        EXPECT_EQ(std::wstring(font.lfFaceName), Wide(layout::Window().face));
    }
    // The help memo holds its lines and cannot be edited.
    HWND memo = controls.at(static_cast<std::size_t>(&layout::Find("mmoHelp") - all.data()));
    EXPECT_EQ(SendMessageW(memo, EM_GETLINECOUNT, 0, 0),
              static_cast<LRESULT>(layout::HelpLines().size()));
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
        for (const auto& [index, control] : controls)
            if (control == h)
                return layout::Controls()[index].name;
        return std::string("?");
    };
    std::vector<std::string> expected;
    for (const layout::Control* c : layout::TabChain("ts1"))
        if (c->enabled)
            expected.push_back(c->name);
    expected.push_back("pgc1");
    expected.push_back(expected.front());

    HWND at = controls.at(
        static_cast<std::size_t>(&layout::Find(expected.front()) - layout::Controls().data()));
    std::vector<std::string> walked{nameOf(at)};
    while (walked.size() < expected.size()) {
        at = GetNextDlgTabItem(form.Handle(), at, FALSE);
        walked.push_back(nameOf(at));
    }
    EXPECT_EQ(walked, expected);
}

} // namespace
