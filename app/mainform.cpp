// The window's life (created, closed) and what the window's rules ask of its widgets.
#include "app/mainform.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QTextDocument>
#include <QThreadPool>
#include <QTimer>

#include "announcer/platform/defaultsound.h"
#include "announcer/platform/resourceclips.h"
#include "app/accessible.h"
#include "app/afterfirstpaint.h"
#include "app/clickablelabel.h"
#include "app/exceptionbox.h"
#include "app/globalhotkey.h"
#include "app/keepontop.h"
#include "app/windowlayout.h"
#include "maker.h"
#include "settings/platform/settingslocation.h"
#include "timing/platform/desktopdonotdisturb.h"
#include "timing/platform/qttimeralarm.h"
#include "timing/platform/systemwallclock.h"
#include "timing/platform/wallalarm.h"
#include "tips/platform/tipdisplay.h"
#include "tips/platform/tipsdownload.h"
#include "tray/trayicon.h"

using lumivox::ControlId;

TForm1* Form1 = nullptr;

TForm1::TForm1() : TForm1(Options{}) {}

TForm1::TForm1(Options options) : options_(std::move(options)) {
    clipSource_ =
        options_.clipSource ? options_.clipSource : std::make_shared<lumivox::ResourceClipSource>();
    if (!Form1)
        Form1 = this;
    setWindowTitle(QString::fromUtf8(lumivox::maker::kTitle));
    // The design's intervals; the alarms re-arm both for the moment each is next due.
    tmrSec = new QTimer(this);
    tmrSec->setObjectName(QStringLiteral("tmrSec"));
    tmrSec->setTimerType(Qt::PreciseTimer);
    tmrSec->setInterval(985);
    tmrHour = new QTimer(this);
    tmrHour->setObjectName(QStringLiteral("tmrHour"));
    tmrHour->setTimerType(Qt::PreciseTimer);
    tmrHour->setInterval(60000);
    tmr1 = new QTimer(this);
    tmr1->setObjectName(QStringLiteral("tmr1"));
    tmr1->setInterval(15000);
    saveDelay_ = new QTimer(this);
    saveDelay_->setSingleShot(true);
    hotKey_ = new lumivox::GlobalHotKey(this);
    secAlarm_ = std::make_unique<lumivox::QtTimerAlarm>(tmrSec);
    hourAlarm_ = std::make_unique<lumivox::WallAlarm>(tmrHour);
    rules_ = std::make_unique<lumivox::FormRules>(lumivox::FormRules::Parts{
        *this, *clipSource_, options_.sound ? options_.sound : lumivox::CreateDefaultSoundOutput(),
        false, nullptr, std::make_shared<lumivox::SystemWallClock>(), *secAlarm_, *hourAlarm_,
        options_.settingsDir, lumivox::SystemSettingsPlaces(),
        std::make_shared<lumivox::DesktopDoNotDisturb>()});
    // Every handler reached from the event loop runs inside the rules' exception box.
    connect(tmrSec, &QTimer::timeout, this, [this] { rules_->tmrSecTimer(); });
    connect(tmrHour, &QTimer::timeout, this, [this] { rules_->tmrHourTimer(); });
    connect(hourAlarm_.get(), &lumivox::WallAlarm::rang, this, [this] { rules_->tmrHourTimer(); });
    connect(tmr1, &QTimer::timeout, this, [this] { rules_->tmr1Timer(); });
    connect(saveDelay_, &QTimer::timeout, this, [this] { rules_->SaveDelayElapsed(); });
    connect(hotKey_, &lumivox::GlobalHotKey::pressed, this, [this] { rules_->HotKeyPressed(); });
    connect(hotKey_, &lumivox::GlobalHotKey::notOffered, this,
            [this] { rules_->HotKeyGrabAnswered(lumivox::HotKeyGrab::NotOffered); });
    lumivox::InstallAccessibility();
    CreateControls();
    rules_->FormCreate();
    tmr1->start();
    // Nobody sees the About page or minimises into the notification area before the
    // window is there; taking that place costs as much as building the window.
    lumivox::AfterFirstPaint(this, [this] {
        if (rules_->Closed())
            return;
        CreateAboutPage();
        CreateTrayIcon();
    });
}

TForm1::~TForm1() {
    alive_.reset();
    rules_.reset();
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::FormClose() {
    rules_->FormClose();
}

void TForm1::EndQuietly() {
    rules_->FormClose(false);
}

void TForm1::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

std::string TForm1::Text(ControlId id) const {
    if (auto* box = Control<QComboBox>(id))
        return box->currentText().toStdString();
    if (auto* label = Control<QLabel>(id))
        return label->text().toStdString();
    if (auto* line = Control<QLineEdit>(id))
        return line->text().toStdString();
    return {};
}

void TForm1::SetText(ControlId id, const std::string& text) {
    if (auto* box = Control<QComboBox>(id)) {
        box->setEditText(QString::fromStdString(text));
        return;
    }
    if (auto* label = Control<QLabel>(id)) {
        // Texts may come from the network: never read as markup.
        label->setTextFormat(Qt::PlainText);
        label->setText(QString::fromStdString(text));
        if (!label->parentWidget()->layout()) // a laid-out label is sized by its strip
            label->adjustSize();
        if (qobject_cast<lumivox::ClickableLabel*>(label)) // the tips line, once it has a tip
            label->setFocusPolicy(text.empty() ? Qt::NoFocus : Qt::StrongFocus);
        return;
    }
    if (auto* line = Control<QLineEdit>(id))
        line->setText(QString::fromStdString(text));
}

void TForm1::SelectItem(ControlId id, int index) {
    if (auto* box = Control<QComboBox>(id))
        box->setCurrentIndex(index);
}

void TForm1::SetItems(ControlId id, const std::vector<std::string>& items) {
    auto* box = Control<QComboBox>(id);
    if (!box)
        return;
    box->clear();
    for (const std::string& item : items)
        box->addItem(QString::fromStdString(item));
    box->setCurrentIndex(-1);
}

bool TForm1::Checked(ControlId id) const {
    auto* box = Control<QCheckBox>(id);
    return box && box->isChecked();
}

void TForm1::SetChecked(ControlId id, bool checked) {
    // toggled, and with it the box's click, fires only on a change of state.
    if (auto* box = Control<QCheckBox>(id))
        box->setChecked(checked);
}

void TForm1::SetEnabled(ControlId id, bool enabled) {
    if (QWidget* widget = Control(id))
        widget->setEnabled(enabled);
}

void TForm1::SetVisible(ControlId id, bool visible) {
    if (QWidget* widget = Control(id))
        widget->setVisible(visible);
}

void TForm1::SetHint(ControlId id, const std::string& text) {
    // A hover hint reads anything that looks like markup as markup: such a text goes
    // there escaped, as a paragraph of plain text.
    const QString hint = QString::fromStdString(text);
    if (QWidget* widget = Control(id))
        widget->setToolTip(Qt::mightBeRichText(hint) ? Qt::convertFromPlainText(hint) : hint);
}

void TForm1::SetSpokenRemaining(const std::string& words, bool announce) {
    lumivox::SetSpokenName(Control<QLabel>(ControlId::lblMinTick), QString::fromStdString(words),
                           announce);
    if (announce && trycn1)
        trycn1->SetHint(TrayHint(words == lumivox::layout::kNotCounting ? "" : words));
}

void TForm1::ShowMessageBox(const std::string& text) {
    lumivox::ShowMessageBox(this, windowTitle(), QString::fromStdString(text));
}

void TForm1::OpenAddress(const std::string& address) {
    const QUrl url = lumivox::OpenableTipUrl(address);
    if (url.isValid())
        QDesktopServices::openUrl(url);
}

void TForm1::SetKeepOnTop(bool on) {
    lumivox::SetKeepOnTop(this, on);
}

std::string TForm1::TextFromNetwork(const std::string& bytes) const {
    return lumivox::TipDisplayText(bytes).toStdString();
}

void TForm1::ArmSaveDelay(int milliseconds) {
    saveDelay_->start(milliseconds);
}

void TForm1::CancelSaveDelay() {
    saveDelay_->stop();
}

void TForm1::StartTipsDownload(int milliseconds) {
    lumivox::TipsLimits limits;
    limits.totalMs = milliseconds;
    lumivox::StartTipsDownload(lumivox::TipsUrl(), limits, this, [this](const QByteArray& body) {
        rules_->TipsArrived(body.toStdString());
    });
}

lumivox::HotKeyGrab TForm1::GrabHotKey(const std::optional<lumivox::HotKey>& hotKey) {
    return hotKey_->Grab(hotKey);
}

void TForm1::EndSoon() {
    // After the event that asked: its answer goes out first.
    QTimer::singleShot(0, this, [this] {
        EndQuietly();
        QCoreApplication::quit();
    });
}

void TForm1::RunInBackground(std::function<void()> work, std::function<void()> done) {
    // The global pool is waited for before the application object goes, so the
    // application is there to take the result back to the window's thread.
    QCoreApplication* application = QCoreApplication::instance();
    std::weak_ptr<int> alive = alive_;
    QThreadPool::globalInstance()->start(
        [work = std::move(work), done = std::move(done), application, alive]() mutable {
            work();
            QMetaObject::invokeMethod(
                application,
                [done = std::move(done), alive] {
                    if (!alive.expired())
                        done();
                },
                Qt::QueuedConnection);
        });
}
