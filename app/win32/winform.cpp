#include "app/win32/winform.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <stdexcept>

#include "announcer/mythread.h"
#include "announcer/platform/defaultsound.h"
#include "app/win32/winshellparts.h"
#include "framework/exceptiontext.h"
#include "framework/utf8path.h"
#include "maker.h"
#include "settings/inifile.h"
#include "settings/platform/settingslocation.h"

namespace layout = lumivox::layout;
using lumivox::win::Wide;

namespace {

constexpr wchar_t kWindowClass[] = L"TForm1";
constexpr wchar_t kPanelClass[] = L"TLumivoxPanel";

// How each kind of control is made natively: its window class, the styles it adds,
// and whether the table's text is its window text.
struct NativeKind {
    lumivox::layout::Kind kind;
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
    bool captioned;
};

const NativeKind& NativeOf(lumivox::layout::Kind kind) {
    using K = lumivox::layout::Kind;
    static const NativeKind kinds[] = {
        {K::Tabs, WC_TABCONTROLW, WS_CLIPSIBLINGS | WS_TABSTOP, 0, true},
        {K::Page, kPanelClass, 0, WS_EX_CONTROLPARENT, false},
        {K::Panel, kPanelClass, 0, WS_EX_CONTROLPARENT, false},
        {K::Group, WC_BUTTONW, BS_GROUPBOX, 0, true},
        {K::Label, WC_STATICW, SS_LEFT | SS_NOPREFIX, 0, true},
        {K::Link, WC_STATICW, SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 0, true},
        {K::Check, WC_BUTTONW, BS_AUTOCHECKBOX, 0, true},
        {K::Combo, WC_COMBOBOXW, WS_VSCROLL, 0, false},
        {K::Button, WC_BUTTONW, BS_PUSHBUTTON, 0, true},
        {K::Memo, WC_EDITW, ES_MULTILINE | ES_READONLY, WS_EX_CLIENTEDGE, false},
    };
    for (const NativeKind& k : kinds)
        if (k.kind == kind)
            return k;
    return kinds[4]; // a plain label
}
constexpr UINT kSecTimerMessage = WM_APP + 1;
constexpr UINT kHourTimerMessage = WM_APP + 2;
constexpr int kFirstId = 100;
constexpr UINT_PTR kSaveTimer = 1;
constexpr UINT kSaveDelayMs = 500; // a burst of changes becomes one write
constexpr LONG_PTR kRaised = 1;

std::wstring WindowText(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Pages and panels: plain containers that pass their children's notifications on to
// the window, and draw a raised bevel when asked.
LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_SETCURSOR:
        if (HWND root = GetAncestor(hwnd, GA_ROOT); root && root != hwnd)
            return SendMessageW(root, message, wParam, lParam);
        break;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        if (GetWindowLongPtrW(hwnd, GWLP_USERDATA) == kRaised) {
            RECT rect;
            GetClientRect(hwnd, &rect);
            DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_RECT);
        }
        EndPaint(hwnd, &paint);
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool RegisterClasses(HINSTANCE instance) {
    static bool registered = false;
    if (registered)
        return true;
    WNDCLASSEXW panel{};
    panel.cbSize = sizeof panel;
    panel.lpfnWndProc = PanelProc;
    panel.hInstance = instance;
    panel.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    panel.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    panel.lpszClassName = kPanelClass;
    registered = RegisterClassExW(&panel) != 0;
    return registered;
}

bool EqualsIgnoringAsciiCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

} // namespace

TForm1::TForm1() : sound_(lumivox::CreateDefaultSoundOutput()) {}

TForm1::~TForm1() {
    if (announcer_)
        announcer_->Shutdown();
    secAlarm_.reset();
    hourAlarm_.reset();
    for (auto& [role, font] : fonts_)
        DeleteObject(font);
    if (windowBrush_)
        DeleteObject(windowBrush_);
}

bool TForm1::Create(int showCommand) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!RegisterClasses(instance))
        return false;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &TForm1::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIconW(instance, L"MAINICON");
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);

    // A single, fixed frame with the system menu and minimise only; centred.
    const layout::Frame& frame = layout::Window();
    constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
    RECT rect{0, 0, frame.clientWidth, frame.clientHeight};
    AdjustWindowRectEx(&rect, kStyle, FALSE, kExStyle);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    hwnd_ = CreateWindowExW(kExStyle, kWindowClass, Wide(frame.title).c_str(), kStyle, left, top,
                            width, height, nullptr, nullptr, instance, this);
    if (!hwnd_)
        return false;
    CreateControls();
    FormCreate();
    // --- shell parts: tray icon, tips, one copy ---
    shellParts_ = std::make_unique<lumivox::WinShellParts>(
        hwnd_, [this](const std::string& name) { return Control(name); },
        [this](HWND label, const std::wstring& text) {
            SetWindowTextW(label, text.c_str());
            SizeToText(label, text);
        });
    // --- end shell parts ---
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    return true;
}

HFONT TForm1::FontFor(layout::FontRole role) {
    if (auto found = fonts_.find(role); found != fonts_.end())
        return found->second;
    const layout::Font look = layout::FontOf(role);
    HFONT font = CreateFontW(-look.pixelHeight, 0, 0, 0, look.bold ? FW_BOLD : FW_NORMAL, FALSE,
                             look.underline, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                             Wide(layout::Window().face).c_str());
    fonts_[role] = font;
    return font;
}

void TForm1::SizeToText(HWND label, const std::wstring& text) {
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    SetWindowPos(label, nullptr, 0, 0, size.cx, metrics.tmHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND TForm1::CreateControl(const layout::Control& c, int id) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // Group boxes hold no windows in Win32 (they would swallow the notifications): their
    // controls sit on the group's parent, moved by the group's place.
    std::string parentName = c.parent;
    int left = c.left;
    int top = c.top;
    int width = c.width;
    int height = c.height;
    while (parentName != "Form1" && layout::Find(parentName).kind == layout::Kind::Group) {
        const layout::Control& group = layout::Find(parentName);
        left += group.left;
        top += group.top;
        parentName = group.parent;
    }
    HWND parent = Control(parentName);
    RECT area;
    GetClientRect(parent, &area);
    switch (c.dock) {
    case layout::Dock::Client:
        if (c.parent != "Form1") { // whatever the right-docked sibling leaves
            width = area.right;
            for (const layout::Control& other : layout::Controls())
                if (other.parent == c.parent && other.dock == layout::Dock::Right)
                    width -= other.width;
            height = area.bottom;
        }
        break;
    case layout::Dock::Right:
        left = area.right - c.width;
        height = area.bottom;
        break;
    case layout::Dock::Bottom:
        top = area.bottom - c.height;
        width = area.right;
        break;
    case layout::Dock::None:
        break;
    }

    DWORD style = WS_CHILD | (c.visible ? WS_VISIBLE : 0) | (c.enabled ? 0 : WS_DISABLED);
    if (c.tabOrder != layout::kNoTab && c.visible && c.kind != layout::Kind::Group &&
        c.kind != layout::Kind::Panel && c.kind != layout::Kind::Tabs)
        style |= WS_TABSTOP;
    const NativeKind& native = NativeOf(c.kind);
    const wchar_t* className = native.className;
    style |= native.style;
    const DWORD exStyle = native.exStyle;
    std::wstring text = native.captioned ? Wide(c.text) : std::wstring();
    if (c.kind == layout::Kind::Combo) {
        style |= c.editable ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST;
        // The height given is the box with its list dropped down.
        height = c.height + layout::Window().comboRows * layout::Window().comboItemHeight + 2;
    }
    if (c.kind == layout::Kind::Memo) {
        for (std::size_t i = 0; i < layout::HelpLines().size(); ++i)
            text += (i == 0 ? L"" : L"\r\n") + Wide(layout::HelpLines()[i]);
    }
    if (c.kind == layout::Kind::Page) {
        HWND tabs = Control(c.parent);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        std::wstring caption = Wide(c.text);
        item.pszText = caption.data();
        SendMessageW(tabs, TCM_INSERTITEMW, SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0),
                     reinterpret_cast<LPARAM>(&item));
        // Pages fill the tab control's display area and sit above it.
        RECT display;
        GetClientRect(tabs, &display);
        TabCtrl_AdjustRect(tabs, FALSE, &display);
        MapWindowPoints(tabs, hwnd_, reinterpret_cast<POINT*>(&display), 2);
        left = display.left;
        top = display.top;
        width = display.right - display.left;
        height = display.bottom - display.top;
        parent = hwnd_;
    }
    HWND control =
        CreateWindowExW(exStyle, className, text.c_str(), style, left, top, width, height, parent,
                        reinterpret_cast<HMENU>(INT_PTR(id)), instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c.font)), FALSE);
    if (c.kind == layout::Kind::Panel)
        SetWindowLongPtrW(control, GWLP_USERDATA, kRaised);
    if (c.kind == layout::Kind::Page)
        SetWindowPos(control, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (c.kind == layout::Kind::Label || c.kind == layout::Kind::Link)
        SizeToText(control, text);
    if (c.kind == layout::Kind::Combo) {
        SendMessageW(control, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), c.height - 6);
        SendMessageW(control, CB_SETITEMHEIGHT, 0, layout::Window().comboItemHeight);
        for (int n = c.firstItem; n <= c.lastItem; ++n)
            SendMessageW(control, CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(std::to_wstring(n).c_str()));
        SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(c.selected), 0);
        if (c.selected == layout::kNoItem)
            SetWindowTextW(control, Wide(c.text).c_str());
    }
    return control;
}

void TForm1::CreateControls() {
    controls_["Form1"] = hwnd_;
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(layout::FontRole::Window)),
                 FALSE);
    windowBrush_ = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
    const auto& all = layout::Controls();
    for (std::size_t i = 0; i < all.size(); ++i)
        controls_[all[i].name] = CreateControl(all[i], kFirstId + static_cast<int>(i));
    ShowPage(0);
}

void TForm1::ShowPage(int index) {
    int page = 0;
    for (const layout::Control& c : layout::Controls())
        if (c.kind == layout::Kind::Page)
            ShowWindow(Control(c.name), page++ == index ? SW_SHOW : SW_HIDE);
    SendMessageW(Control("pgc1"), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
}

HWND TForm1::Control(const std::string& name) const {
    return controls_.at(name);
}

bool TForm1::Checked(const std::string& name) const {
    return SendMessageW(Control(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TForm1::SetChecked(const std::string& name, bool checked) {
    if (Checked(name) == checked)
        return;
    // A changed state runs the box's click handler, as a click would.
    SendMessageW(Control(name), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    Command(GetDlgCtrlID(Control(name)), BN_CLICKED);
}

bool TForm1::PreTranslate(MSG& msg) {
    return hwnd_ && IsDialogMessageW(hwnd_, &msg);
}

template <typename Handler> void TForm1::Run(Handler&& handler) {
    // The standard exception box: the handler is abandoned, the program goes on.
    std::string message;
    try {
        handler();
        return;
    } catch (const std::exception& error) {
        message = error.what();
    } catch (...) {
    }
    MessageBoxW(hwnd_, Wide(lumivox::ExceptionBoxText(message)).c_str(),
                Wide(layout::Window().title).c_str(), MB_OK | MB_ICONERROR);
}

LRESULT CALLBACK TForm1::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* form = reinterpret_cast<TForm1*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (form && form->hwnd_ == hwnd)
        return form->Handle(message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT TForm1::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    // --- shell parts ---
    if (shellParts_) {
        if (auto done = shellParts_->Handle(message, wParam, lParam))
            return *done;
    }
    // --- end shell parts ---
    switch (message) {
    case WM_COMMAND:
        Command(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(lParam)->code == TCN_SELCHANGE)
            ShowPage(static_cast<int>(SendMessageW(Control("pgc1"), TCM_GETCURSEL, 0, 0)));
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        const int index = GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) - kFirstId;
        const auto& all = layout::Controls();
        if (index >= 0 && index < static_cast<int>(all.size())) {
            const layout::Font font = layout::FontOf(all[static_cast<std::size_t>(index)].font);
            if (!font.windowText)
                SetTextColor(dc,
                             RGB((font.rgb >> 16) & 0xFF, (font.rgb >> 8) & 0xFF, font.rgb & 0xFF));
            if (all[static_cast<std::size_t>(index)].kind == layout::Kind::Memo) {
                SetBkColor(dc, GetSysColor(COLOR_WINDOW));
                return reinterpret_cast<LRESULT>(windowBrush_);
            }
        }
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_SETCURSOR: {
        const int index = GetDlgCtrlID(reinterpret_cast<HWND>(wParam)) - kFirstId;
        const auto& all = layout::Controls();
        if (index >= 0 && index < static_cast<int>(all.size()) &&
            layout::FontOf(all[static_cast<std::size_t>(index)].font).handCursor) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    }
    case kSecTimerMessage:
        if (secAlarm_ && secAlarm_->IsCurrent(wParam))
            Run([this] { tmrSecTimer(); });
        return 0;
    case kHourTimerMessage:
        if (hourAlarm_ && hourAlarm_->IsCurrent(wParam))
            Run([this] { tmrHourTimer(); });
        return 0;
    case WM_TIMECHANGE:
        // The chime sleeps a whole minute: a clock set meanwhile must wake it now.
        if (chime_)
            Run([this] { chime_->OnClockChanged(); });
        return 0;
    case WM_POWERBROADCAST:
        // Its timer stood still while the machine slept.
        if (wParam == PBT_APMRESUMEAUTOMATIC && chime_)
            Run([this] { chime_->OnClockChanged(); });
        return TRUE;
    case WM_TIMER:
        if (wParam == kSaveTimer) {
            KillTimer(hwnd_, kSaveTimer);
            saveDue_ = false;
            if (!closed_)
                SaveSettings();
        }
        return 0;
    case WM_ENDSESSION:
        if (wParam)
            FormClose(false);
        return 0;
    case WM_CLOSE:
        FormClose();
        DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void TForm1::Command(int id, int code) {
    const auto& all = layout::Controls();
    const int index = id - kFirstId;
    if (index < 0 || index >= static_cast<int>(all.size()))
        return;
    const layout::Control& c = all[static_cast<std::size_t>(index)];
    const bool changed =
        (c.kind == layout::Kind::Check && code == BN_CLICKED) ||
        (c.kind == layout::Kind::Combo && (code == CBN_SELCHANGE || code == CBN_EDITCHANGE));
    if (changed && std::any_of(layout::Settings().begin(), layout::Settings().end(),
                               [&](const layout::Setting& s) { return s.control == c.name; }))
        SaveSettingsSoon();
    if (c.kind == layout::Kind::Link && code == STN_CLICKED && c.target != layout::Target::None) {
        Run([&] { LinkClick(c); });
        return;
    }
    if (code != BN_CLICKED)
        return;
    if (c.name == "chkHour")
        Run([this] { chkHourClick(); });
    else if (c.name == "chkHalf")
        Run([this] { chkHalfClick(); });
    else if (c.name == "chkDispTop")
        Run([this] { chkDispTopClick(); });
    else if (c.name == "btnMinStart")
        Run([this] { btnMinStartClick(); });
    else if (c.name == "btnStop")
        Run([this] { btnStopClick(); });
}

void TForm1::FormCreate() {
    secAlarm_ = std::make_unique<lumivox::win::MessageAlarm>(hwnd_, kSecTimerMessage);
    hourAlarm_ = std::make_unique<lumivox::win::MessageAlarm>(hwnd_, kHourTimerMessage);
    countdown_ = std::make_unique<lumivox::Countdown>(*this, *this, monotonic_, *secAlarm_);
    chime_ = std::make_unique<lumivox::Chime>(*this, *this, wall_, *hourAlarm_);
    LoadSettings();
    Clips.LoadAll(clipSource_);
    announcer_ = std::make_unique<TMyThread>(Clips, *sound_);
    announcer_->Resume();
    chime_->Update();
    watching_ = true;
}

void TForm1::SaveSettingsSoon() {
    // Not pushed back by later changes: every change is on disk within the delay.
    if (watching_ && !closed_ && !saveDue_)
        saveDue_ = SetTimer(hwnd_, kSaveTimer, kSaveDelayMs, nullptr) != 0;
}

void TForm1::FormClose(bool openHomePage) {
    if (closed_)
        return;
    closed_ = true;
    // Stops the clip being played and waits for the thread: it must not outlive the
    // clips it reads.
    announcer_->Shutdown();
    Clips.ReleaseAll();
    KillTimer(hwnd_, kSaveTimer);
    SaveSettings();
    if (openHomePage)
        ShellExecuteW(hwnd_, L"open", Wide(lumivox::maker::kHomePageSlash).c_str(), nullptr,
                      nullptr, SW_SHOW);
    shellParts_.reset(); // --- shell parts: the icon goes, the tips list last ---
}

void TForm1::chkHourClick() {
    if (chime_)
        chime_->Update();
}

void TForm1::chkHalfClick() {
    if (chime_)
        chime_->Update();
}

void TForm1::btnMinStartClick() {
    countdown_->Start();
}

void TForm1::btnStopClick() {
    countdown_->Stop();
}

void TForm1::tmrSecTimer() {
    countdown_->OnTimer();
}

void TForm1::tmrHourTimer() {
    chime_->OnTimer();
}

void TForm1::chkDispTopClick() {
    SetWindowPos(hwnd_, Checked("chkDispTop") ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE);
}

void TForm1::LinkClick(const layout::Control& label) {
    const std::string address = layout::Address(label.target);
    if (!address.empty())
        ShellExecuteW(hwnd_, L"open", Wide(address).c_str(), nullptr, nullptr, SW_SHOW);
}

void TForm1::LoadSettings() {
    try {
        TIniFile ini(lumivox::SettingsFilePath({}));
        if (!ini.SectionExists(layout::kSettingsSection))
            return; // every control keeps its design value
        for (const layout::Setting& setting : layout::Settings()) {
            const layout::Control& c = layout::Find(setting.control);
            if (c.kind == layout::Kind::Check) {
                SetChecked(c.name, ini.ReadInteger(layout::kSettingsSection, setting.key, 0) != 0);
                continue;
            }
            const std::wstring stored =
                Wide(ini.ReadString(layout::kSettingsSection, setting.key, c.text));
            if (c.editable) {
                SetWindowTextW(Control(c.name), stored.c_str());
                continue;
            }
            // A pick-only box selects the item with the stored text, or none.
            LRESULT found = CB_ERR;
            for (int i = 0; i <= c.lastItem - c.firstItem && found == CB_ERR; ++i)
                if (EqualsIgnoringAsciiCase(std::to_wstring(c.firstItem + i), stored))
                    found = i;
            SendMessageW(Control(c.name), CB_SETCURSEL, static_cast<WPARAM>(found), 0);
        }
    } catch (...) {
        // Settings never stop the window from starting: what was set stays set.
    }
}

void TForm1::SaveSettings() {
    try {
        const std::string folder = lumivox::SettingsDirectory({});
        const std::string path = folder + lumivox::kSettingsFileName;
        TIniFile ini(path);
        bool write = ini.SectionExists(layout::kSettingsSection);
        // A portable copy keeps its file as the user left it; the per-user place
        // is the program's own, so its file is made at the first close.
        std::error_code error;
        if (!write && !lumivox::IsPortableSettings({}) &&
            !std::filesystem::exists(lumivox::Utf8Path(path), error)) {
            std::filesystem::create_directories(lumivox::Utf8Path(folder), error);
            write = true;
        }
        if (write) {
            for (const layout::Setting& setting : layout::Settings()) {
                const layout::Control& c = layout::Find(setting.control);
                if (c.kind == layout::Kind::Check)
                    ini.WriteInteger(layout::kSettingsSection, setting.key,
                                     Checked(c.name) ? 1 : 0);
                else
                    ini.WriteString(layout::kSettingsSection, setting.key,
                                    lumivox::win::Utf8(WindowText(Control(c.name))));
            }
        }
        ini.UpdateFile();
    } catch (...) {
        // A refused save must not stop the close; the old file is left as it was.
    }
}

std::string TForm1::BoxText(lumivox::CountdownBox box) const {
    static const char* const kBoxes[] = {"cbbHour",   "cbbMin",     "cbbSec",   "cbbLastMin",
                                         "cbbPerMin", "cbbLastSec", "cbbPerSec"};
    return lumivox::win::Utf8(WindowText(Control(kBoxes[static_cast<int>(box)])));
}

bool TForm1::IsChecked(lumivox::CountdownCheck check) const {
    switch (check) {
    case lumivox::CountdownCheck::Minute:
        return Checked("chkMin");
    case lumivox::CountdownCheck::Second:
        return Checked("chkSec");
    case lumivox::CountdownCheck::LastOne:
        return Checked("chkLastOne");
    case lumivox::CountdownCheck::Circle:
        return Checked("chkCircle");
    }
    return false;
}

void TForm1::ShowRemaining(const std::string& text) {
    const std::wstring wide = Wide(text);
    SetWindowTextW(Control("lblMinTick"), wide.c_str());
    SizeToText(Control("lblMinTick"), wide);
}

void TForm1::ShowCounting(bool counting) {
    EnableWindow(Control("btnMinStart"), !counting);
    EnableWindow(Control("btnStop"), counting);
}

void TForm1::ShowNoCondition() {
    MessageBoxW(hwnd_, L"请选择倒计数条件后再试！", Wide(layout::Window().title).c_str(),
                MB_OK | MB_ICONERROR);
}

bool TForm1::HourChecked() const {
    return Checked("chkHour");
}

bool TForm1::HalfChecked() const {
    return Checked("chkHalf");
}

void TForm1::Post(std::int32_t kind, std::int32_t value) {
    if (announcer_)
        announcer_->Post(kind, value);
}
