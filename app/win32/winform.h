// The program's one window on Windows, built with plain Win32 controls from the same
// control table as the Qt window, its handlers calling the same core.
#pragma once
#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "announcer/clipbank.h"
#include "app/win32/winsupport.h"
#include "app/windowlayout.h"
#include "timing/chime.h"
#include "timing/countdown.h"

class TMyThread;

class TForm1 : public lumivox::CountdownView,
               public lumivox::ChimeView,
               public lumivox::RequestPoster {
public:
    TForm1();
    ~TForm1() override;
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    // Creates the window and its controls and runs FormCreate; the window is shown
    // centred. False when the window could not be created.
    bool Create(int showCommand);
    HWND Handle() const { return hwnd_; }
    // Dialog keys (Tab, arrows, space) for the window's controls.
    bool PreTranslate(MSG& msg);

    // --- Events ----------------------------------------------------------------
    void FormCreate();
    // The close sequence; the session's end runs it without opening the home page.
    void FormClose(bool openHomePage = true);
    void chkHourClick();
    void chkHalfClick();
    void btnMinStartClick();
    void btnStopClick();
    void tmrSecTimer();
    void tmrHourTimer();
    void chkDispTopClick();
    void LinkClick(const lumivox::layout::Control& label);

    void LoadSettings();
    void SaveSettings();
    // Every change is on disk within half a second, so a session that ends without
    // the window's close keeps it too.
    void SaveSettingsSoon();

    // CountdownView, ChimeView, RequestPoster.
    std::string BoxText(lumivox::CountdownBox box) const override;
    bool IsChecked(lumivox::CountdownCheck check) const override;
    void ShowRemaining(const std::string& text) override;
    void ShowCounting(bool counting) override;
    void ShowNoCondition() override;
    bool HourChecked() const override;
    bool HalfChecked() const override;
    void Post(std::int32_t kind, std::int32_t value) override;

    lumivox::ClipBank Clips;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    HWND CreateControl(const lumivox::layout::Control& c, int id);
    void SizeToText(HWND label, const std::wstring& text);
    void Command(int id, int code);
    void ShowPage(int index);
    template <typename Handler> void Run(Handler&& handler);

    HWND Control(const std::string& name) const;
    bool Checked(const std::string& name) const;
    void SetChecked(const std::string& name, bool checked);
    HFONT FontFor(lumivox::layout::FontRole role);

    HWND hwnd_ = nullptr;
    std::map<std::string, HWND> controls_;
    std::map<lumivox::layout::FontRole, HFONT> fonts_;
    HBRUSH windowBrush_ = nullptr;
    std::shared_ptr<lumivox::SoundOutput> sound_;
    lumivox::win::ResourceClipSource clipSource_;
    std::unique_ptr<TMyThread> announcer_;
    lumivox::SteadyClock monotonic_;
    lumivox::win::LocalWallClock wall_;
    std::unique_ptr<lumivox::win::MessageAlarm> secAlarm_;
    std::unique_ptr<lumivox::win::MessageAlarm> hourAlarm_;
    std::unique_ptr<lumivox::Countdown> countdown_;
    std::unique_ptr<lumivox::Chime> chime_;
    bool closed_ = false;
    bool watching_ = false; // changes are saved: from the end of FormCreate
    bool saveDue_ = false;
};
