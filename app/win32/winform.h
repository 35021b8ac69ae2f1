// The program's one window on Windows: plain Win32 controls built from the window
// table, each event forwarded to the window's rules (app/formrules.h).
#pragma once
#include <windows.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/formrules.h"
#include "app/win32/winsupport.h"
#include "app/windowlayout.h"

namespace lumivox {
namespace win {
class RegisteredHotKey;
}
class WinMainWindowTray;
class WinTipsFetch;
} // namespace lumivox

class TForm1 {
public:
    TForm1();
    ~TForm1();
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    // Creates the window and its controls and runs FormCreate; the window is shown
    // centred. False when the window could not be created.
    bool Create(int showCommand);
    HWND Handle() const { return hwnd_; }
    HWND Control(lumivox::ControlId id) const { return controls_[lumivox::IndexOf(id)]; }
    // Dialog keys (Tab, arrows, space) for the window's controls.
    // Also Alt plus a control's access key, Ctrl+Tab between the pages, Enter on a link.
    bool PreTranslate(MSG& msg);
    lumivox::FormRules& Rules() { return *rules_; }
    // Out of the tray (or the taskbar) and to the front: a second start asks for it.
    void BringToFront();

private:
    class Widgets; // what the rules ask of the controls

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    HWND CreateControl(const lumivox::layout::Control& c);
    void SizeToText(HWND label, const std::wstring& text);
    void Command(int id, int code);
    void ShowPage(int index);
    bool AccessKey(char key);
    bool DialogKey(WPARAM key);
    void FormClose(bool openHomePage);
    HFONT FontFor(lumivox::layout::FontRole role);

    HWND hwnd_ = nullptr;
    std::array<HWND, lumivox::kControlIdCount> controls_{};
    std::map<lumivox::layout::FontRole, HFONT> fonts_;
    HBRUSH windowBrush_ = nullptr;
    lumivox::win::ResourceClipSource clipSource_;
    std::unique_ptr<lumivox::win::MessageAlarm> secAlarm_;
    std::unique_ptr<lumivox::win::MessageAlarm> hourAlarm_;
    std::unique_ptr<Widgets> widgets_;
    std::unique_ptr<lumivox::FormRules> rules_;
    std::unique_ptr<lumivox::WinMainWindowTray> tray_; // trycn1
    std::unique_ptr<lumivox::WinTipsFetch> tipsFetch_;
    std::unique_ptr<lumivox::win::RegisteredHotKey> hotKey_;
    std::function<void()> hotKeyEdited_; // the hotkey box's
};
