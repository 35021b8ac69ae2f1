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

    // Controls, built in mainform_controls.cpp. The names are the window's contract.
    QTabWidget* pgc1 = nullptr;         // the two pages
    QWidget* ts1 = nullptr;             // page "定时设置"
    QWidget* ts2 = nullptr;             // page "关于帮助"
    QFrame* pnl2 = nullptr;             // status strip under the pages, holds lblTips
    QGroupBox* grp1Timer = nullptr;     // group "报时设置"
    QGroupBox* grp12 = nullptr;         // group "倒计时"
    QCheckBox* chkDispTop = nullptr;    // "显示在最前面"
    QCheckBox* chkHour = nullptr;       // "整点报时"
    QCheckBox* chkHalf = nullptr;       // "半点报时"
    QLabel* lbl7 = nullptr;             // "倒计数(时:分:秒)："
    QLabel* lblMinTick = nullptr;       // the countdown's h:m:s, red
    QComboBox* cbbHour = nullptr;       // countdown hours, 0..23
    QLabel* lbl10 = nullptr;            // ":"
    QComboBox* cbbMin = nullptr;        // countdown minutes, 0..59
    QLabel* lbl11 = nullptr;            // ":"
    QComboBox* cbbSec = nullptr;        // countdown seconds, 0..59
    QCheckBox* chkMin = nullptr;        // "最后" (minute counts)
    QComboBox* cbbLastMin = nullptr;    // last N minutes, typed or picked
    QLabel* lbl12 = nullptr;            // "分钟每"
    QComboBox* cbbPerMin = nullptr;     // every N minutes
    QLabel* lbl13 = nullptr;            // "分钟报数"
    QCheckBox* chkSec = nullptr;        // "最后" (second counts)
    QComboBox* cbbLastSec = nullptr;    // last N seconds, typed or picked
    QLabel* lbl15 = nullptr;            // "秒钟每"
    QComboBox* cbbPerSec = nullptr;     // every N seconds
    QLabel* lbl16 = nullptr;            // "秒钟报数"
    QCheckBox* chkLastOne = nullptr;    // "最后一秒提示声音"
    QPushButton* btnLastOne = nullptr;  // "选择声音", never shown
    QCheckBox* chkCircle = nullptr;     // "循环计时"
    QPushButton* btnMinStart = nullptr; // "启动"
    QPushButton* btnStop = nullptr;     // "停止"
    QPlainTextEdit* mmoHelp = nullptr;  // the help text on the About page
    QFrame* pnl1 = nullptr;             // About page's right-hand panel
    QLabel* lbl1 = nullptr;             // the program's title
    QLabel* lbl2 = nullptr;             // "版本：" and the version
    QLabel* lbl14 = nullptr;            // "欢迎反馈建议"
    QLabel* lbl8 = nullptr;             // link "下载最新版本": the download page
    QLabel* lbl3 = nullptr;             // link "Lumivox工作室": the home page
    QLabel* lbl4 = nullptr;             // link showing the home page's address
    QLabel* lbl5 = nullptr;             // link "赞助开发，谢谢！": the shop page
    QLabel* lblTips = nullptr;          // the rotating tip, a link when it has one
    QTimer* tmrSec = nullptr;           // countdown tick, 985 ms
    QTimer* tmrHour = nullptr;          // chime check, each minute
    QTimer* tmr1 = nullptr;             // tips: load on the first tick, rotate on later ones
    TTrayIcon* trycn1 = nullptr;        // the notification-area icon

    // Handlers: what each control, timer and window event runs.
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
    // Shows the window and makes it the active one, out of the tray if it hides there:
    // what a second start of the program asks for.
    void BringToFront();
    // The About page's contents. The window builds them right after its first paint, or
    // at once when the page is chosen before that; later calls do nothing.
    void CreateAboutPage();

    // Test seams: the window's state and engines, public so tests can read or replace them.
    lumivox::ClipBank Clips;
    std::unique_ptr<TMyThread> Announcer;
    bool TipsLoaded = false;
    std::string CurrentTipLink;
    std::unique_ptr<lvWebTips> Tips;
    int tipsTimeLimitMs = 30000; // the whole tips download; tests shorten it
    // The countdown engine; its State holds TotalSeconds, RemainSeconds, CountHour, ...
    lumivox::Countdown& CountdownEngine();
    lumivox::Chime& ChimeEngine();
    // Replaces the clocks the countdown and chime read (tests simulate time with this).
    // Both start over: a running countdown stops and the chime is set up again.
    void SetTimingClocks(std::shared_ptr<lumivox::MonotonicClock> monotonic,
                         std::shared_ptr<lumivox::WallClock> wall);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();  // mainform_controls.cpp
    void ConnectControls(); // mainform_controls.cpp
    void CreateTrayIcon();  // mainform_tray.cpp: trycn1, once the window is on screen
    void LoadSettings();    // mainform_settings.cpp
    void SaveSettings();
    void WatchSettings();    // every saved control's change calls SaveSettingsSoon
    void SaveSettingsSoon(); // SaveSettings after a short delay that gathers a burst
    void StartTipsLoad();    // mainform_tips.cpp
    void TipsArrived(const QByteArray& body);
    void ShowRandomTip();

    struct TimingParts; // mainform_timing.cpp
    TimingParts& Timing();

    Options options_;
    std::shared_ptr<lumivox::ClipSource> clipSource_;
    bool closed_ = false;
    bool openHomePageOnClose_ = true;
    std::shared_ptr<TimingParts> timing_; // shared_ptr: deletable where TimingParts is opaque
    std::unique_ptr<QObject> trayIcon_;   // owns trycn1 and its desktop adapter
    QTimer* settingsSaveTimer_ = nullptr;
};

// The one main window.
extern TForm1* Form1;
