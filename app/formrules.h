// The window's rules, the same for every front-end: the settings kept in the settings
// file, the countdown and the chime driven from the controls, the rotating tips, and
// the close. A front-end builds its widgets from the window table, implements
// FormFrontEnd for them and forwards each event here.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "announcer/clipbank.h"
#include "announcer/request.h"
#include "app/commandline.h"
#include "app/controlid.h"
#include "app/hotkey.h"
#include "settings/settingslocation.h"
#include "timing/chime.h"
#include "timing/clock.h"
#include "timing/countdown.h"
#include "timing/donotdisturb.h"

class TMyThread;
namespace lumivox {
struct Voice;
}
class lvWebTips;

namespace lumivox {

// What became of a hotkey the window asked the desktop for.
enum class HotKeyGrab { Held, Taken, NotOffered };

// What the rules need from a front-end's widgets and its desktop.
class FormFrontEnd {
public:
    virtual ~FormFrontEnd() = default;

    // A combo box's text (its typed text, or its selected item's), a label's text.
    virtual std::string Text(ControlId id) const = 0;
    // A label's text (the label grows to fit it), or an editable combo box's.
    virtual void SetText(ControlId id, const std::string& text) = 0;
    // A pick-only combo box's item; layout::kNoItem leaves none selected.
    virtual void SelectItem(ControlId id, int index) = 0;
    // A pick-only combo box's items in place of those it had; none is selected after.
    virtual void SetItems(ControlId id, const std::vector<std::string>& items) = 0;
    virtual bool Checked(ControlId id) const = 0;
    // A changed state reaches FormRules::Clicked, as a click would.
    virtual void SetChecked(ControlId id, bool checked) = 0;
    virtual void SetEnabled(ControlId id, bool enabled) = 0;
    virtual void SetVisible(ControlId id, bool visible) = 0;
    // What a control shows while the pointer rests on it, as plain text.
    virtual void SetHint(ControlId id, const std::string& text) = 0;
    // The countdown in words for screen readers (and the tray icon's hint), kept
    // current silently; announce: said now, unasked.
    virtual void SetSpokenRemaining(const std::string& words, bool announce) = 0;

    // A modal box with the window's title and the error icon.
    virtual void ShowMessageBox(const std::string& text) = 0;
    // A web address, in the desktop's browser; the bytes may be UTF-8 or code page 936.
    virtual void OpenAddress(const std::string& address) = 0;
    virtual void SetKeepOnTop(bool on) = 0;
    // Bytes from the network as UTF-8: they are UTF-8 when valid, else code page 936.
    virtual std::string TextFromNetwork(const std::string& bytes) const = 0;

    // Calls FormRules::SaveDelayElapsed once, after milliseconds.
    virtual void ArmSaveDelay(int milliseconds) = 0;
    virtual void CancelSaveDelay() = 0;
    // Fetches the tips list in the background, within milliseconds in all; hands the
    // body (as far as it came, empty on a failure) to FormRules::TipsArrived on the
    // window's thread.
    virtual void StartTipsDownload(int milliseconds) = 0;

    // Asks the desktop for the combination (nullopt: none) in place of the one held;
    // FormRules::HotKeyPressed follows each press. Taken: the one held before stays.
    virtual HotKeyGrab GrabHotKey(const std::optional<HotKey>& hotKey) = 0;
    // Shows the window and makes it the active one, out of the tray if it hides there.
    virtual void BringToFront() = 0;
    // Ends the program once the current event is over, as a close does but without
    // the maker's page.
    virtual void EndSoon() = 0;
    // Runs work on a thread of its own, then done on the window's thread; done is
    // dropped when the window has gone by then.
    virtual void RunInBackground(std::function<void()> work, std::function<void()> done) = 0;
};

class FormRules : private CountdownView, private ChimeView, private RequestPoster {
public:
    struct Parts {
        FormFrontEnd& ui;
        ClipSource& clipSource;
        std::shared_ptr<SoundOutput> sound;
        // Whether a close waits for the announcer however long it takes, rather than
        // leaving one stuck in the sound server behind.
        bool waitForAnnouncer = false;
        std::shared_ptr<MonotonicClock> monotonic; // null: the system's steady clock
        std::shared_ptr<WallClock> wall;
        Alarm& countdownAlarm;
        Alarm& chimeAlarm;
        std::string settingsDir; // empty: the usual place (SettingsDirectory)
        SettingsPlaces places;
        // What the desktop says about being disturbed; null: it is never asked.
        std::shared_ptr<DoNotDisturb> doNotDisturb;
    };

    explicit FormRules(Parts parts);
    ~FormRules() override;
    FormRules(const FormRules&) = delete;
    FormRules& operator=(const FormRules&) = delete;

    // Settings into the controls, clips, announcer, chime; changes are saved from now on.
    void FormCreate();
    // The close: the announcer stops, the settings are saved, the maker's home page is
    // opened unless the end was not asked for through the window. Nothing once closed.
    void FormClose(bool openHomePage = true);
    // --- Events, each inside the standard exception box ----------------------------
    // A button, link or check box was clicked (or a box's state set).
    void Clicked(ControlId id);
    // A combo box's text changed.
    void Edited(ControlId id);
    void SaveDelayElapsed();
    void TipsArrived(const std::string& body);
    void tmrSecTimer();
    void tmrHourTimer();
    void tmr1Timer();
    // The wall clock was set or the machine resumed.
    void ClockChanged();
    // The hotkey: the time; pressed again within a second, what is left of the countdown.
    void HotKeyPressed();
    // The desktop's answer about the hotkey, when it came after GrabHotKey returned.
    void HotKeyGrabAnswered(HotKeyGrab grab);
    // A command from the command line, for this copy; what to print and exit with.
    CommandReply RunCommand(const Command& command);

    // --- Handlers, as Clicked runs them --------------------------------------------
    void chkDispTopClick();
    void btnMinStartClick();
    void btnStopClick();
    // The time now, to the minute.
    void btnSayTimeClick();
    // The countdown to the time of day in the page's boxes.
    void btnUntilStartClick();
    void lblTipsClick();
    // The time now, in the voice chosen (once it is loaded).
    void btnVoiceTryClick();

    void LoadSettings();
    void SaveSettings();
    bool Closed() const { return closed_; }

    // --- State, public for tests -----------------------------------------------------
    ClipBank Clips;
    std::unique_ptr<TMyThread> Announcer;
    bool TipsLoaded = false;
    std::string CurrentTipLink;
    std::unique_ptr<lvWebTips> Tips;
    int tipsTimeLimitMs = 30000; // the whole tips download
    Countdown& CountdownEngine() { return *countdown_; }
    Chime& ChimeEngine() { return *chime_; }
    // Replaces the clocks (tests simulate time): a running countdown stops and the
    // chime is set up again.
    void SetClocks(std::shared_ptr<MonotonicClock> monotonic, std::shared_ptr<WallClock> wall);

private:
    template <typename Handler> void Guarded(Handler&& handler);
    void SaveSoon();
    void PostVolume();
    void ShowRandomTip();
    void MakeEngines();
    void HotKeyEdited();
    CommandReply Act(const Command& command);
    CommandReply Status(bool json) const;
    void SetBox(ControlId id, int value);
    // The voice (formvoice.cpp): the list of voices and the saved one at start, a
    // pack loaded in the background whenever one is chosen.
    void StartVoices();
    void VoiceChosen();
    void ApplyVoice();
    void VoiceReady(const std::string& choice, std::shared_ptr<const Voice> voice);
    std::string VoicesFolder() const;

    // CountdownView, ChimeView, RequestPoster.
    std::string BoxText(CountdownBox box) const override;
    bool IsChecked(CountdownCheck check) const override;
    void ShowRemaining(const std::string& text) override;
    void ShowCounting(bool counting) override;
    void ShowNoCondition() override;
    bool HourChecked() const override;
    bool HalfChecked() const override;
    bool QuarterChecked() const override;
    std::optional<QuietHours> Quiet() const override;
    bool FollowDndChecked() const override;
    void Post(std::int32_t kind, std::int32_t value) override;

    FormFrontEnd& ui_;
    ClipSource& clipSource_;
    std::shared_ptr<SoundOutput> sound_;
    bool waitForAnnouncer_;
    std::shared_ptr<MonotonicClock> monotonic_;
    std::shared_ptr<WallClock> wall_;
    Alarm& countdownAlarm_;
    Alarm& chimeAlarm_;
    std::string settingsDir_;
    SettingsPlaces places_;
    std::shared_ptr<DoNotDisturb> doNotDisturb_;
    std::unique_ptr<Countdown> countdown_;
    std::unique_ptr<Chime> chime_;
    bool watching_ = false; // changes are saved: from the end of FormCreate
    bool saveDue_ = false;
    bool closed_ = false;
    bool counting_ = false;
    std::optional<HotKey> heldHotKey_;
    std::optional<std::int64_t> lastHotKeyMs_; // a press that a second one may follow
    std::string voiceChoice_;  // as saved: empty the default, else a built-in's or pack's name
    bool voiceStored_ = false; // the file names a voice: written back even when empty
    int voiceLoad_ = 0;        // the newest load; older ones are dropped when they end
    bool voiceLoading_ = false;
    bool tryWhenLoaded_ = false;
    bool fillingVoices_ = false; // the list is being set, not chosen from
};

} // namespace lumivox
