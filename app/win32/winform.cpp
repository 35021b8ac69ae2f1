#include "app/win32/winform.h"

#include <commctrl.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "announcer/platform/defaultsound.h"
#include "app/win32/winhotkey.h"
#include "app/win32/winsingleinstance.h"
#include "settings/platform/settingslocation.h"
#include "tips/platform/wintips.h"
#include "tray/platform/wintray.h"
#include "tray/trayicon.h"

namespace layout = lumivox::layout;
using lumivox::ControlId;
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
        {K::KeyBox, WC_EDITW, ES_AUTOHSCROLL | ES_READONLY, WS_EX_CLIENTEDGE, false},
    };
    for (const NativeKind& k : kinds)
        if (k.kind == kind)
            return k;
    return kinds[4]; // a plain label
}
constexpr UINT kSecTimerMessage = WM_APP + 1;
constexpr UINT kHourTimerMessage = WM_APP + 2;
// The tips download's end, posted from the fetch's thread; lParam owns the body.
constexpr UINT kTipsArrivedMessage = WM_APP + 3;
// The end a command asked for, once its answer has gone.
constexpr UINT kEndSoonMessage = WM_APP + 5;
// Background work has ended; lParam owns what is to run on the window's thread.
constexpr UINT kBackgroundDoneMessage = WM_APP + 4;
constexpr UINT_PTR kSaveTimer = 1;
constexpr UINT_PTR kTipsTimer = 2; // tmr1
constexpr UINT kTipsInterval = 15000;
constexpr LONG_PTR kRaised = 1;

// A control's dialog id: its place in ControlId after this.
constexpr int kFirstId = 100;

int DialogId(ControlId id) {
    return kFirstId + static_cast<int>(lumivox::IndexOf(id));
}

// The control behind a dialog id, if it is one of the window's.
const layout::Control* ControlOf(int dialogId) {
    const int index = dialogId - kFirstId;
    if (index <= 0 || index >= static_cast<int>(lumivox::kControlIdCount))
        return nullptr;
    return &layout::Find(static_cast<ControlId>(index));
}

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

} // namespace

// What the rules ask of the controls: each a message or two to the control's window.
class TForm1::Widgets : public lumivox::FormFrontEnd {
public:
    explicit Widgets(TForm1& form) : form_(form) {}

    std::string Text(ControlId id) const override {
        return lumivox::win::Utf8(WindowText(form_.Control(id)));
    }

    void SetText(ControlId id, const std::string& text) override {
        const std::wstring wide = Wide(text);
        HWND control = form_.Control(id);
        SetWindowTextW(control, wide.c_str());
        const layout::Kind kind = layout::Find(id).kind;
        if (kind == layout::Kind::Label || kind == layout::Kind::Link)
            form_.SizeToText(control, wide);
        if (kind == layout::Kind::Link) { // the tips line: a Tab stop once it has a tip
            const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
            SetWindowLongPtrW(control, GWL_STYLE,
                              text.empty() ? style & ~WS_TABSTOP : style | WS_TABSTOP);
        }
    }

    void SelectItem(ControlId id, int index) override {
        SendMessageW(form_.Control(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }

    void SetItems(ControlId id, const std::vector<std::string>& items) override {
        HWND box = form_.Control(id);
        SendMessageW(box, CB_RESETCONTENT, 0, 0);
        for (const std::string& item : items)
            SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
    }

    bool Checked(ControlId id) const override {
        return SendMessageW(form_.Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }

    void SetChecked(ControlId id, bool checked) override {
        if (Checked(id) == checked)
            return;
        // A changed state runs the box's click handler, as a click would.
        SendMessageW(form_.Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
        form_.rules_->Clicked(id);
    }

    void SetEnabled(ControlId id, bool enabled) override {
        EnableWindow(form_.Control(id), enabled);
    }

    void SetVisible(ControlId id, bool visible) override {
        ShowWindow(form_.Control(id), visible ? SW_SHOW : SW_HIDE);
    }

    // Plain Win32 controls show no hover hints.
    void SetHint(ControlId, const std::string&) override {}

    // Screen readers read the countdown label's window text, kept current by SetText.
    void SetSpokenRemaining(const std::string& words, bool announce) override {
        if (announce && form_.tray_)
            form_.tray_->Icon().SetHint(TrayHint(words == layout::kNotCounting ? "" : words));
    }

    void ShowMessageBox(const std::string& text) override {
        MessageBoxW(form_.hwnd_, Wide(text).c_str(), Wide(layout::Window().title).c_str(),
                    MB_OK | MB_ICONERROR);
    }

    void OpenAddress(const std::string& address) override {
        lumivox::OpenTipLink(form_.hwnd_, address);
    }

    void SetKeepOnTop(bool on) override {
        SetWindowPos(form_.hwnd_, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE);
    }

    std::string TextFromNetwork(const std::string& bytes) const override {
        return lumivox::win::Utf8(lumivox::TipTextW(bytes));
    }

    void ArmSaveDelay(int milliseconds) override {
        SetTimer(form_.hwnd_, kSaveTimer, static_cast<UINT>(milliseconds), nullptr);
    }

    void CancelSaveDelay() override { KillTimer(form_.hwnd_, kSaveTimer); }

    void StartTipsDownload(int milliseconds) override {
        lumivox::WinTipsLimits limits;
        limits.totalMs = milliseconds;
        HWND window = form_.hwnd_;
        form_.tipsFetch_ = std::make_unique<lumivox::WinTipsFetch>(
            lumivox::WinTipsUrl(), limits, [window](std::string body) {
                auto* owned = new std::string(std::move(body));
                if (!PostMessageW(window, kTipsArrivedMessage, 0, reinterpret_cast<LPARAM>(owned)))
                    delete owned;
            });
        form_.tipsFetch_->Start();
    }

    lumivox::HotKeyGrab GrabHotKey(const std::optional<lumivox::HotKey>& hotKey) override {
        return form_.hotKey_->Grab(hotKey);
    }

    void BringToFront() override { form_.BringToFront(); }

    void EndSoon() override { PostMessageW(form_.hwnd_, kEndSoonMessage, 0, 0); }

    void RunInBackground(std::function<void()> work, std::function<void()> done) override {
        // A window gone by then takes no message: what it would have run is freed.
        HWND window = form_.hwnd_;
        std::thread([window, work = std::move(work), done = std::move(done)]() mutable {
            work();
            auto* owned = new std::function<void()>(std::move(done));
            if (!PostMessageW(window, kBackgroundDoneMessage, 0, reinterpret_cast<LPARAM>(owned)))
                delete owned;
        }).detach();
    }

private:
    TForm1& form_;
};

TForm1::TForm1() : widgets_(std::make_unique<Widgets>(*this)) {}

TForm1::~TForm1() {
    tipsFetch_.reset(); // an unfinished download is dropped, never waited for
    tray_.reset();
    rules_.reset();
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
    hotKey_ = std::make_unique<lumivox::win::RegisteredHotKey>(hwnd_);
    hotKeyEdited_ = [this] { rules_->Edited(ControlId::edtHotKey); };
    secAlarm_ = std::make_unique<lumivox::win::MessageAlarm>(hwnd_, kSecTimerMessage);
    hourAlarm_ = std::make_unique<lumivox::win::MessageAlarm>(hwnd_, kHourTimerMessage);
    // A close waits for the announcer: the process ends right after the window.
    rules_ = std::make_unique<lumivox::FormRules>(
        lumivox::FormRules::Parts{*widgets_,
                                  clipSource_,
                                  lumivox::CreateDefaultSoundOutput(),
                                  true,
                                  nullptr,
                                  std::make_shared<lumivox::win::LocalWallClock>(),
                                  *secAlarm_,
                                  *hourAlarm_,
                                  {},
                                  lumivox::SystemSettingsPlaces(),
                                  std::make_shared<lumivox::win::ShellDoNotDisturb>()});
    CreateControls();
    rules_->FormCreate();
    tray_ = std::make_unique<lumivox::WinMainWindowTray>(
        hwnd_, LoadIconW(GetModuleHandleW(nullptr), L"MAINICON"));
    SetTimer(hwnd_, kTipsTimer, kTipsInterval, nullptr);
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

HWND TForm1::CreateControl(const layout::Control& c) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const layout::FlatParent flat = layout::Flattened(c);
    HWND parent = Control(flat.parent);
    RECT area;
    GetClientRect(parent, &area);
    layout::Rect place = layout::PlaceIn(c, area.right, area.bottom);
    place.left += flat.offsetLeft;
    place.top += flat.offsetTop;

    DWORD style = WS_CHILD | (c.visible ? WS_VISIBLE : 0) | (c.enabled ? 0 : WS_DISABLED);
    if (c.tabOrder != layout::kNoTab && c.visible && c.kind != layout::Kind::Group &&
        c.kind != layout::Kind::Panel && c.kind != layout::Kind::Tabs &&
        !(c.kind == layout::Kind::Link && c.text.empty()))
        style |= WS_TABSTOP;
    const NativeKind& native = NativeOf(c.kind);
    // A control without a caption of its own takes its accessible name from the label
    // created just before it: a hidden one with the table's name.
    if (!native.captioned && !c.name.empty())
        CreateWindowExW(0, WC_STATICW, Wide(c.name).c_str(), WS_CHILD, place.left, place.top, 0, 0,
                        parent, reinterpret_cast<HMENU>(INT_PTR(-1)), instance, nullptr);
    style |= native.style;
    std::wstring text = native.captioned ? Wide(c.text) : std::wstring();
    if (c.kind == layout::Kind::Combo) {
        style |= c.editable ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST;
        // The height given is the box with its list dropped down.
        place.height = c.height + layout::Window().comboRows * layout::Window().comboItemHeight + 2;
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
        place = {display.left, display.top, display.right - display.left,
                 display.bottom - display.top};
        parent = hwnd_;
    }
    HWND control = CreateWindowExW(
        native.exStyle, native.className, text.c_str(), style, place.left, place.top, place.width,
        place.height, parent, reinterpret_cast<HMENU>(INT_PTR(DialogId(c.id))), instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c.font)), FALSE);
    if (c.kind == layout::Kind::Panel)
        SetWindowLongPtrW(control, GWLP_USERDATA, kRaised);
    if (c.kind == layout::Kind::Page)
        SetWindowPos(control, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (c.kind == layout::Kind::Label || c.kind == layout::Kind::Link)
        SizeToText(control, text);
    if (c.kind == layout::Kind::KeyBox)
        lumivox::win::MakeHotKeyBox(control, &hotKeyEdited_);
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
    controls_[lumivox::IndexOf(ControlId::Form1)] = hwnd_;
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(layout::FontRole::Window)),
                 FALSE);
    windowBrush_ = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
    // In the table's order, which is the order Tab walks them.
    for (const layout::Control& c : layout::Controls())
        controls_[lumivox::IndexOf(c.id)] = CreateControl(c);
    ShowPage(0);
}

void TForm1::ShowPage(int index) {
    int page = 0;
    for (const layout::Control& c : layout::Controls())
        if (c.kind == layout::Kind::Page)
            ShowWindow(Control(c.id), page++ == index ? SW_SHOW : SW_HIDE);
    SendMessageW(Control(ControlId::pgc1), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
}

bool TForm1::PreTranslate(MSG& msg) {
    if (!hwnd_)
        return false;
    if (msg.message == WM_SYSKEYDOWN && AccessKey(static_cast<char>(msg.wParam)))
        return true;
    if (msg.message == WM_KEYDOWN && DialogKey(msg.wParam))
        return true;
    return IsDialogMessageW(hwnd_, &msg);
}

bool TForm1::AccessKey(char key) {
    for (const layout::Control& c : layout::Controls()) {
        HWND control = Control(c.id);
        if (c.accessKey != key || !IsWindowVisible(control) || !IsWindowEnabled(control))
            continue;
        SetFocus(control);
        SendMessageW(control, BM_CLICK, 0, 0);
        return true;
    }
    return false;
}

bool TForm1::DialogKey(WPARAM key) {
    HWND focus = GetFocus();
    const layout::Control* c = ControlOf(GetDlgCtrlID(focus));
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    if (key == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
        HWND tabs = Control(ControlId::pgc1);
        const int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
        const int now = static_cast<int>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
        ShowPage((now + (shift ? count - 1 : 1)) % count);
        SetFocus(tabs);
        return true;
    }
    if (!c)
        return false;
    // The read-only memo would keep Tab for itself.
    if (key == VK_TAB && c->kind == layout::Kind::Memo) {
        SetFocus(GetNextDlgTabItem(hwnd_, focus, shift));
        return true;
    }
    if ((key == VK_RETURN || key == VK_SPACE) && c->kind == layout::Kind::Link) {
        rules_->Clicked(c->id);
        return true;
    }
    return false;
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
    // The tray icon sees the window's messages first: a minimise may become a hide.
    if (tray_) {
        if (auto done = tray_->HandleMainWindowMessage(message, wParam, lParam))
            return *done;
    }
    if (message == lumivox::win::BringToFrontMessage()) {
        BringToFront();
        return 0;
    }
    switch (message) {
    case WM_COMMAND:
        Command(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(lParam)->code == TCN_SELCHANGE)
            ShowPage(static_cast<int>(SendMessageW(Control(ControlId::pgc1), TCM_GETCURSEL, 0, 0)));
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        if (const layout::Control* c = ControlOf(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)))) {
            const layout::Font font = layout::FontOf(c->font);
            if (!font.windowText)
                SetTextColor(dc,
                             RGB((font.rgb >> 16) & 0xFF, (font.rgb >> 8) & 0xFF, font.rgb & 0xFF));
            if (c->kind == layout::Kind::Memo) {
                SetBkColor(dc, GetSysColor(COLOR_WINDOW));
                return reinterpret_cast<LRESULT>(windowBrush_);
            }
        }
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_SETCURSOR: {
        const layout::Control* c = ControlOf(GetDlgCtrlID(reinterpret_cast<HWND>(wParam)));
        if (c && layout::FontOf(c->font).handCursor) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    }
    case kSecTimerMessage:
        if (secAlarm_ && secAlarm_->IsCurrent(wParam))
            rules_->tmrSecTimer();
        return 0;
    case kHourTimerMessage:
        if (hourAlarm_ && hourAlarm_->IsCurrent(wParam))
            rules_->tmrHourTimer();
        return 0;
    case WM_TIMECHANGE:
        // The chime sleeps a whole minute: a clock set meanwhile must wake it now.
        rules_->ClockChanged();
        return 0;
    case WM_POWERBROADCAST:
        // Its timer stood still while the machine slept.
        if (wParam == PBT_APMRESUMEAUTOMATIC)
            rules_->ClockChanged();
        return TRUE;
    case WM_TIMER:
        if (wParam == kSaveTimer) {
            KillTimer(hwnd_, kSaveTimer);
            rules_->SaveDelayElapsed();
        } else if (wParam == kTipsTimer) {
            rules_->tmr1Timer();
        }
        return 0;
    case kTipsArrivedMessage: {
        const std::unique_ptr<std::string> body(reinterpret_cast<std::string*>(lParam));
        tipsFetch_.reset();
        rules_->TipsArrived(*body);
        return 0;
    }
    case WM_HOTKEY:
        if (hotKey_ && hotKey_->IsPress(wParam))
            rules_->HotKeyPressed();
        return 0;
    case WM_COPYDATA:
        return lumivox::win::AnswerCommand(
            hwnd_, wParam, lParam,
            [this](const lumivox::Command& command) { return rules_->RunCommand(command); });
    case kEndSoonMessage:
        FormClose(false);
        DestroyWindow(hwnd_);
        return 0;
    case kBackgroundDoneMessage: {
        const std::unique_ptr<std::function<void()>> done(
            reinterpret_cast<std::function<void()>*>(lParam));
        (*done)();
        return 0;
    }
    case WM_ENDSESSION:
        if (wParam)
            FormClose(false);
        return 0;
    case WM_CLOSE:
        FormClose(true);
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
    const layout::Control* c = ControlOf(id);
    if (!c)
        return;
    switch (c->kind) {
    case layout::Kind::Check:
    case layout::Kind::Button:
        if (code == BN_CLICKED)
            rules_->Clicked(c->id);
        break;
    case layout::Kind::Link:
        if (code == STN_CLICKED)
            rules_->Clicked(c->id);
        break;
    case layout::Kind::Combo:
        if (code == CBN_SELCHANGE || code == CBN_EDITCHANGE)
            rules_->Edited(c->id);
        break;
    default:
        break;
    }
}

void TForm1::FormClose(bool openHomePage) {
    if (rules_->Closed())
        return;
    rules_->FormClose(openHomePage);
    KillTimer(hwnd_, kTipsTimer);
    tipsFetch_.reset();
    // Bodies already posted are freed with the window's queue: nothing to report to.
    MSG pending;
    while (PeekMessageW(&pending, hwnd_, kTipsArrivedMessage, kTipsArrivedMessage, PM_REMOVE))
        delete reinterpret_cast<std::string*>(pending.lParam);
    while (PeekMessageW(&pending, hwnd_, kBackgroundDoneMessage, kBackgroundDoneMessage, PM_REMOVE))
        delete reinterpret_cast<std::function<void()>*>(pending.lParam);
    tray_.reset(); // the icon goes with the window
}

void TForm1::BringToFront() {
    // Through the tray icon's own restore: it also brings the window out of the tray.
    if (tray_)
        tray_->Icon().Restore();
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
}
