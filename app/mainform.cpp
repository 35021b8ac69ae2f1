// The window's life: what is brought up when it is created and torn down when it closes.
#include "app/mainform.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QUrl>

#include "announcer/mythread.h"
#include "announcer/platform/defaultsound.h"
#include "announcer/platform/resourceclips.h"
#include "maker.h"
#include "tips/lvwebtips.h"

TForm1* Form1 = nullptr;

TForm1::TForm1() : TForm1(Options{}) {}

TForm1::TForm1(Options options) : options_(std::move(options)) {
    sound_ = options_.sound ? options_.sound : lumivox::CreateDefaultSoundOutput();
    clipSource_ =
        options_.clipSource ? options_.clipSource : std::make_shared<lumivox::ResourceClipSource>();
    if (!Form1)
        Form1 = this;
    setWindowTitle(QString::fromUtf8(lumivox::maker::kTitle));
    CreateControls();
    ConnectControls();
    CreateTrayIcon();
    FormCreate();
}

TForm1::~TForm1() {
    // Closing normally has stopped the announcer already; either way the thread
    // must not outlive the window's sound output and clips, which go before it.
    if (Announcer)
        Announcer->Shutdown();
    Announcer.reset();
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::FormCreate() {
    LoadSettings();
    Clips.LoadAll(*clipSource_);
    Announcer = std::make_unique<TMyThread>(Clips, *sound_);
    Announcer->Resume();
    // The chime timer follows the two chime boxes, as their click handler sets it.
    chkHourClick();
}

void TForm1::FormClose() {
    if (closed_)
        return;
    closed_ = true;
    // Unlike a bare terminate flag, this also waits for the thread: it must not
    // outlive the clips it reads.
    Announcer->Shutdown();
    Clips.ReleaseAll();
    SaveSettings();
    QDesktopServices::openUrl(QUrl(QString::fromUtf8(lumivox::maker::kHomePageSlash)));
    Tips.reset();
}

void TForm1::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}
