// The window's life: what is brought up when it is created and torn down when it closes.
#include "app/mainform.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QTimer>
#include <QUrl>

#include "announcer/mythread.h"
#include "announcer/platform/defaultsound.h"
#include "announcer/platform/resourceclips.h"
#include "app/afterfirstpaint.h"
#include "maker.h"
#include "tips/lvwebtips.h"

TForm1* Form1 = nullptr;

TForm1::TForm1() : TForm1(Options{}) {}

TForm1::TForm1(Options options) : options_(std::move(options)) {
    clipSource_ =
        options_.clipSource ? options_.clipSource : std::make_shared<lumivox::ResourceClipSource>();
    if (!Form1)
        Form1 = this;
    setWindowTitle(QString::fromUtf8(lumivox::maker::kTitle));
    CreateControls();
    ConnectControls();
    FormCreate();
    // Nobody sees the About page or minimises into the notification area before the
    // window is there; taking that place costs as much as building the window.
    lumivox::AfterFirstPaint(this, [this] {
        if (closed_)
            return;
        CreateAboutPage();
        CreateTrayIcon();
    });
}

TForm1::~TForm1() {
    // Closing normally has stopped the announcer already.
    Announcer.reset();
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::FormCreate() {
    LoadSettings();
    WatchSettings();
    Clips.LoadAll(*clipSource_);
    // The announcer is the output's only owner here: it connects to the sound server
    // on its own thread when it first speaks, and closes it there.
    Announcer = std::make_unique<TMyThread>(
        Clips, options_.sound ? options_.sound : lumivox::CreateDefaultSoundOutput());
    Announcer->Resume();
    // The chime timer follows the two chime boxes, as their click handler sets it.
    chkHourClick();
}

void TForm1::FormClose() {
    if (closed_)
        return;
    closed_ = true;
    // Waits a moment for the thread; one stuck in the sound server is left behind.
    Announcer->Shutdown();
    Clips.ReleaseAll();
    if (settingsSaveTimer_)
        settingsSaveTimer_->stop();
    SaveSettings();
    if (openHomePageOnClose_)
        QDesktopServices::openUrl(QUrl(QString::fromUtf8(lumivox::maker::kHomePageSlash)));
    Tips.reset();
}

void TForm1::EndQuietly() {
    openHomePageOnClose_ = false;
    FormClose();
}

void TForm1::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}
