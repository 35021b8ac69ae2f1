// The program's one window on Qt: widgets built from the window table, each event
// forwarded to the window's rules (app/formrules.h).
#pragma once
#include <QWidget>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/controlid.h"
#include "app/formrules.h"

class QTimer;
class TTrayIcon;

namespace lumivox {
class ClipSource;
class GlobalHotKey;
class QtTimerAlarm;
class WallAlarm;
namespace layout {
struct Control;
}
} // namespace lumivox

class TForm1 : public QWidget, private lumivox::FormFrontEnd {
    Q_OBJECT

public:
    // What the program normally takes from the platform; tests put their own in.
    struct Options {
        std::shared_ptr<lumivox::SoundOutput> sound;     // null: the system's sound server
        std::shared_ptr<lumivox::ClipSource> clipSource; // null: the embedded clips
        std::string settingsDir; // empty: beside the executable, else the per-user folder
    };

    TForm1();
    explicit TForm1(Options options);
    ~TForm1() override;

    // The widget of a control; null until it is built (the About page's controls come
    // after the first paint).
    QWidget* Control(lumivox::ControlId id) const { return controls_[lumivox::IndexOf(id)]; }
    template <typename Widget> Widget* Control(lumivox::ControlId id) const {
        return qobject_cast<Widget*>(Control(id));
    }

    QTimer* tmrSec = nullptr;    // countdown: fires when the next second is due
    QTimer* tmrHour = nullptr;   // chime: stands behind the wall-clock alarm
    QTimer* tmr1 = nullptr;      // tips: load on the first tick, rotate on later ones
    TTrayIcon* trycn1 = nullptr; // the notification-area icon

    lumivox::FormRules& Rules() { return *rules_; }

    void FormClose();
    // The close's teardown without the maker's page, for an end the user did not ask
    // for through the window (logout, shutdown, a signal). Nothing once closed.
    void EndQuietly();
    // Shows the window and makes it the active one, out of the tray if it hides there:
    // what a second start of the program asks for.
    void BringToFront() override;
    // The About page's contents. The window builds them right after its first paint, or
    // at once when the page is chosen before that; later calls do nothing.
    void CreateAboutPage();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // FormFrontEnd.
    std::string Text(lumivox::ControlId id) const override;
    void SetText(lumivox::ControlId id, const std::string& text) override;
    void SelectItem(lumivox::ControlId id, int index) override;
    void SetItems(lumivox::ControlId id, const std::vector<std::string>& items) override;
    bool Checked(lumivox::ControlId id) const override;
    void SetChecked(lumivox::ControlId id, bool checked) override;
    void SetEnabled(lumivox::ControlId id, bool enabled) override;
    void SetVisible(lumivox::ControlId id, bool visible) override;
    void SetHint(lumivox::ControlId id, const std::string& text) override;
    void SetSpokenRemaining(const std::string& words, bool announce) override;
    void ShowMessageBox(const std::string& text) override;
    void OpenAddress(const std::string& address) override;
    void SetKeepOnTop(bool on) override;
    std::string TextFromNetwork(const std::string& bytes) const override;
    void ArmSaveDelay(int milliseconds) override;
    void CancelSaveDelay() override;
    void StartTipsDownload(int milliseconds) override;
    lumivox::HotKeyGrab GrabHotKey(const std::optional<lumivox::HotKey>& hotKey) override;
    void EndSoon() override;
    void RunInBackground(std::function<void()> work, std::function<void()> done) override;

    void CreateControls(); // mainform_controls.cpp
    // Builds, in the table's order, every control whose parent is built, the About
    // page's contents only when asked for; lays out the docked ones.
    void BuildControls(bool aboutPage);
    void ForwardEvents(QWidget* widget, const lumivox::layout::Control& c);
    void CreateTrayIcon(); // mainform_tray.cpp: trycn1, once the window is on screen

    Options options_;
    std::shared_ptr<lumivox::ClipSource> clipSource_;
    std::array<QWidget*, lumivox::kControlIdCount> controls_{};
    QTimer* saveDelay_ = nullptr;
    lumivox::GlobalHotKey* hotKey_ = nullptr;
    std::unique_ptr<lumivox::QtTimerAlarm> secAlarm_;
    std::unique_ptr<lumivox::WallAlarm> hourAlarm_;
    std::unique_ptr<lumivox::FormRules> rules_;
    std::unique_ptr<QObject> trayIcon_; // owns trycn1 and its desktop adapter
    // Gone with the window: background work that ends later finds it expired.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

// The one main window.
extern TForm1* Form1;
