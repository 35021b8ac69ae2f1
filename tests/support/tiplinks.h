// Tip links and whether a click may open them: shared by every front-end's tests.
#pragma once
#include <string>

namespace lumivox::testing {

struct TipLinkCase {
    const char* name;
    std::string link;
    bool opened;
};

inline const TipLinkCase kTipLinkCases[] = {
    {"Http", "http://a.example/p?q=1", true},
    {"Https", "https://a.example/", true},
    {"File", "file:///etc/passwd", false},
    {"Program", "/usr/bin/xterm", false},
    {"Javascript", "javascript:alert(1)", false},
    {"Empty", "", false},
    {"UpperCaseScheme", "HTTP://a.example/", true},
    {"CustomScheme", "steam://run/1", false},
    {"Mailto", "mailto:a@b.example", false},
    {"HttpWithoutHost", "http:/etc/passwd", false},
    {"LeadingBlankFile", " file:///etc/passwd", false},
    {"BareName", "xterm", false},
    {"WindowsPath", "C:\\Windows\\notepad.exe", false},
    {"UncPath", "\\\\host\\share\\x.exe", false},
    {"QuoteBreaksOut", "http://a.example/\" --x", false},
};

} // namespace lumivox::testing
