// The program's one window: its controls, its state and its event handlers.
// Handlers of each subsystem live in their own source file (mainform_*.cpp).
#pragma once
#include <QWidget>

#include <memory>
#include <string>

#include "announcer/clipbank.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTimer;

class TMyThread;
class lvWebTips;
class TTrayIcon;

namespace lumivox {
class ClipSource;
class Countdown;
class Chime;
class MonotonicClock;
class WallClock;
class TipsLoader;
class QtTrayPlatform;
} // namespace lumivox

class TForm1 : public QWidget {
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

    // --- Controls -------------------------------------------------------------
    QTabWidget* pgc1 = nullptr;
    QWidget* ts1 = nullptr;
    QWidget* ts2 = nullptr;
    QFrame* pnl2 = nullptr;
    QGroupBox* grp1Timer = nullptr;
    QGroupBox* grp12 = nullptr;
    QCheckBox* chkDispTop = nullptr;
    QCheckBox* chkHour = nullptr;
    QCheckBox* chkHalf = nullptr;
    QLabel* lbl7 = nullptr;
    QLabel* lblMinTick = nullptr;
    QComboBox* cbbHour = nullptr;
    QLabel* lbl10 = nullptr;
    QComboBox* cbbMin = nullptr;
    QLabel* lbl11 = nullptr;
    QComboBox* cbbSec = nullptr;
    QCheckBox* chkMin = nullptr;
    QComboBox* cbbLastMin = nullptr;
    QLabel* lbl12 = nullptr;
    QComboBox* cbbPerMin = nullptr;
    QLabel* lbl13 = nullptr;
    QCheckBox* chkSec = nullptr;
    QComboBox* cbbLastSec = nullptr;
    QLabel* lbl15 = nullptr;
    QComboBox* cbbPerSec = nullptr;
    QLabel* lbl16 = nullptr;
    QCheckBox* chkLastOne = nullptr;
    QPushButton* btnLastOne = nullptr;
    QCheckBox* chkCircle = nullptr;
    QPushButton* btnMinStart = nullptr;
    QPushButton* btnStop = nullptr;
    QPlainTextEdit* mmoHelp = nullptr;
    QFrame* pnl1 = nullptr;
    QLabel* lbl1 = nullptr;
    QLabel* lbl2 = nullptr;
    QLabel* lbl14 = nullptr;
    QLabel* lbl8 = nullptr;
    QLabel* lbl3 = nullptr;
    QLabel* lbl4 = nullptr;
    QLabel* lbl5 = nullptr;
    QLabel* lblTips = nullptr;
    QTimer* tmrSec = nullptr;
    QTimer* tmrHour = nullptr;
    QTimer* tmr1 = nullptr;
    TTrayIcon* trycn1 = nullptr;

    // --- Window state ---------------------------------------------------------
    lumivox::ClipBank Clips;
    std::unique_ptr<TMyThread> Announcer;
    bool TipsLoaded = false;
    std::string CurrentTipLink;
    std::unique_ptr<lvWebTips> Tips;

    // --- Events ----------------------------------------------------------------
    void FormCreate();
    void FormClose();
    // The close's teardown without the maker's page, for an end the user did not ask
    // for through the window (logout, shutdown, a signal). Nothing once closed.
    void EndQuietly();
    void chkHourClick();
    void chkHalfClick();
    void btnMinStartClick();
    void btnStopClick();
    void tmrSecTimer();
    void tmrHourTimer();
    void tmr1Timer();
    void lblTipsClick();
    void chkDispTopClick();
    void lbl3Click();
    void lbl4Click();
    void lbl8Click();
    void lbl5Click();

    void LoadSettings();
    void SaveSettings();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();  // mainform_controls.cpp
    void ConnectControls(); // mainform_controls.cpp
    void CreateTrayIcon();  // mainform_tray.cpp: trycn1, created and loaded with the window

    Options options_;
    std::shared_ptr<lumivox::ClipSource> clipSource_;
    bool closed_ = false;
    bool openHomePageOnClose_ = true;

    // --- Announcer (announcer/) ---
    // --- Countdown and chime (timing/) ---
public:
    // The countdown engine; its State holds TotalSeconds, RemainSeconds, CountHour, ...
    lumivox::Countdown& CountdownEngine();
    lumivox::Chime& ChimeEngine();
    // Replaces the clocks the countdown and chime read (tests simulate time with this).
    // Both start over: a running countdown stops and the chime is set up again.
    void SetTimingClocks(std::shared_ptr<lumivox::MonotonicClock> monotonic,
                         std::shared_ptr<lumivox::WallClock> wall);

private:
    struct TimingParts;
    TimingParts& Timing();
    std::shared_ptr<TimingParts> timing_; // shared_ptr: deletable where TimingParts is opaque
    // --- Settings (settings/) ---
    void WatchSettings();    // every saved control's change calls SaveSettingsSoon
    void SaveSettingsSoon(); // SaveSettings after a short delay that gathers a burst
    QTimer* settingsSaveTimer_ = nullptr;
    // --- Tips (tips/) ---
public:
    // Time allowed for the whole tips download; tests shorten it.
    int tipsTimeLimitMs = 30000;

private:
    void StartTipsLoad();
    void TipsArrived(const QByteArray& body);
    void ShowRandomTip();
    // --- Tray (tray/) ---
    std::unique_ptr<QObject> trayIcon_; // owns trycn1 and its desktop adapter
    // --- Window (app/mainform_controls.cpp) ---
    // --- One instance (app/singleinstance.cpp) ---
public:
    // Shows the window and makes it the active one, out of the tray if it hides there:
    // what a second start of the program asks for.
    void BringToFront();
};

// The one main window.
extern TForm1* Form1;
