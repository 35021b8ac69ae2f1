#include "app/win32/winshellparts.h"

#include <exception>

#include "app/win32/winsingleinstance.h"
#include "app/win32/winsupport.h"
#include "app/windowlayout.h"
#include "framework/exceptiontext.h"
#include "settings/platform/settingslocation.h"
#include "tips/lvwebtips.h"
#include "tips/platform/wintips.h"
#include "tips/tipsfile.h"
#include "tray/platform/wintray.h"

namespace lumivox {

namespace {
constexpr UINT_PTR kTipsTimer = 0x7171; // tmr1
constexpr UINT kTipsInterval = 15000;
// The download's end, posted from the fetch's thread; lParam owns the body.
constexpr UINT kTipsArrivedMessage = WM_APP + 0x171;
} // namespace

WinShellParts::WinShellParts(HWND window, std::function<HWND(const std::string&)> control,
                             std::function<void(HWND, const std::wstring&)> showText)
    : window_(window), control_(std::move(control)), showText_(std::move(showText)) {
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
    tray_ = std::make_unique<WinMainWindowTray>(window_, icon);
    SetTimer(window_, kTipsTimer, kTipsInterval, nullptr);
}

WinShellParts::~WinShellParts() {
    KillTimer(window_, kTipsTimer);
    fetch_.reset(); // an unfinished download is dropped, never waited for
    // Bodies already posted are freed with the window's queue: nothing to report to.
    MSG pending;
    while (PeekMessageW(&pending, window_, kTipsArrivedMessage, kTipsArrivedMessage, PM_REMOVE))
        delete reinterpret_cast<std::string*>(pending.lParam);
}

std::optional<LRESULT> WinShellParts::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (auto done = tray_->HandleMainWindowMessage(message, wParam, lParam))
        return done;
    if (message == win::BringToFrontMessage()) {
        BringToFront();
        return 0;
    }
    switch (message) {
    case WM_TIMER:
        if (wParam != kTipsTimer)
            break;
        tmr1Timer();
        return 0;
    case kTipsArrivedMessage: {
        std::unique_ptr<std::string> body(reinterpret_cast<std::string*>(lParam));
        // A tips file that cannot be written or read: the standard exception box,
        // and no tips for this run. Nothing may leave a window procedure.
        std::string failure;
        try {
            TipsArrived(*body);
            return 0;
        } catch (const std::exception& error) {
            failure = error.what();
        } catch (...) {
        }
        MessageBoxW(window_, win::Wide(ExceptionBoxText(failure)).c_str(),
                    win::Wide(layout::Window().title).c_str(), MB_OK | MB_ICONERROR);
        return 0;
    }
    case WM_COMMAND:
        if (reinterpret_cast<HWND>(lParam) == control_("lblTips") &&
            HIWORD(wParam) == STN_CLICKED) {
            lblTipsClick();
            return 0;
        }
        break;
    default:
        break;
    }
    return std::nullopt;
}

void WinShellParts::BringToFront() {
    // Through the tray icon's own restore: it also brings the window out of the tray.
    tray_->Icon().Restore();
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
}

void WinShellParts::tmr1Timer() {
    if (!TipsLoaded) {
        // Set first: whatever the load does, it is never tried again.
        TipsLoaded = true;
        HWND window = window_;
        fetch_ = std::make_unique<WinTipsFetch>(
            WinTipsUrl(), WinTipsLimits{}, [window](std::string body) {
                auto* owned = new std::string(std::move(body));
                if (!PostMessageW(window, kTipsArrivedMessage, 0, reinterpret_cast<LPARAM>(owned)))
                    delete owned;
            });
        fetch_->Start();
        return;
    }
    ShowRandomTip();
}

void WinShellParts::TipsArrived(const std::string& body) {
    fetch_.reset();
    const std::string path = TipsFilePath(SettingsDirectory({}));
    WriteTipsFile(path, body);
    auto tips = std::make_unique<lvWebTips>();
    tips->ParseTips(path);
    Tips = std::move(tips);
    ShowRandomTip();
}

void WinShellParts::ShowRandomTip() {
    HWND label = control_("lblTips");
    if (!Tips || Tips->TipCount <= 0 || !label)
        return;
    const int i = Tips->PickTip();
    const std::wstring text = TipTextW(Tips->TipText[i]) + L" >>";
    // Tips come from the network: an "&" is a character, not a mnemonic.
    SetWindowLongPtrW(label, GWL_STYLE, GetWindowLongPtrW(label, GWL_STYLE) | SS_NOPREFIX);
    showText_(label, text);
    CurrentTipLink = Tips->TipLink[i];
}

void WinShellParts::lblTipsClick() {
    if (!CurrentTipLink.empty())
        OpenTipLink(window_, CurrentTipLink);
}

} // namespace lumivox
