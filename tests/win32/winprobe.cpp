// Looks at the running program's window from outside, for the Wine end-to-end tests:
//   winprobe label NAME   prints "x y text": the control's centre on the screen and
//                         its text (UTF-8)
//   winprobe answers      exits 0 when the window answers a message within 2 s
//   winprobe iconclick    what the shell sends the tray icon's window for a left click
//   winprobe shellstart   what a (re)started shell tells every window
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/windowlayout.h"

namespace {
HWND MainWindow() {
    const std::string& title = lumivox::layout::Window().title;
    std::wstring wide(title.size(), L'\0');
    wide.resize(std::size_t(MultiByteToWideChar(CP_UTF8, 0, title.data(), int(title.size()),
                                                wide.data(), int(wide.size()))));
    return FindWindowW(L"TForm1", wide.c_str());
}

struct Search {
    int id;
    HWND found;
};

BOOL CALLBACK Match(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (GetDlgCtrlID(child) == search->id) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}
} // namespace

int wmain(int argc, wchar_t** argv) {
    HWND window = MainWindow();
    if (!window || argc < 2)
        return 2;
    const std::wstring command = argv[1];
    if (command == L"answers") {
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result) ? 0 : 1;
    }
    if (command == L"iconclick") {
        HWND icon = FindWindowW(L"TPUtilWindow", nullptr);
        if (!icon)
            return 1;
        for (LPARAM mouse : {LPARAM(WM_LBUTTONDOWN), LPARAM(WM_LBUTTONUP)})
            PostMessageW(icon, WM_USER + 1, 0, mouse);
        return 0;
    }
    if (command == L"shellstart")
        return PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0) ? 0
                                                                                             : 1;
    if (command != L"label" || argc < 3)
        return 2;
    char name[64] = {};
    WideCharToMultiByte(CP_UTF8, 0, argv[2], -1, name, sizeof name, nullptr, nullptr);
    Search search{-1, nullptr};
    for (std::size_t i = 0; i < lumivox::kControlIdCount; ++i) {
        if (lumivox::NameOf(static_cast<lumivox::ControlId>(i)) == name)
            search.id = 100 + int(i); // the window numbers its controls from 100 by id
    }
    EnumChildWindows(window, Match, reinterpret_cast<LPARAM>(&search));
    if (!search.found)
        return 1;
    RECT rect{};
    GetWindowRect(search.found, &rect);
    wchar_t text[512] = {};
    GetWindowTextW(search.found, text, 512);
    char utf8[2048] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
    std::printf("%ld %ld %s\n", (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2, utf8);
    return 0;
}
