#include "tray/platform/qttrayplatform.h"

#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QEvent>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QWindowStateChangeEvent>

#include "tray/platform/statusnotifieritem.h"
#include "tray/platform/xembedtraywatch.h"

#include <utility>

namespace lumivox {

namespace {

constexpr IconHandle kProgramIcon = 1;
// Window managers that bounce the state while a window comes back get this long
// before a minimise counts as the user's again.
constexpr qint64 kRestoreSettleMs = 500;

class QtTrayTimer : public TrayTimer {
public:
    QtTrayTimer() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (handler_)
                handler_();
        });
    }
    void SetEnabled(bool enabled) override {
        if (enabled)
            timer_.start();
        else
            timer_.stop();
    }
    bool Enabled() const override { return timer_.isActive(); }
    void SetInterval(int milliseconds) override { timer_.setInterval(milliseconds); }
    int Interval() const override { return timer_.interval(); }
    void SetOnTimer(std::function<void()> handler) override { handler_ = std::move(handler); }

private:
    QTimer timer_;
    std::function<void()> handler_;
};

} // namespace

QtTrayPlatform::QtTrayPlatform(QWidget* mainWindow, std::function<bool()> xembedAvailable)
    : xembedAvailable_(std::move(xembedAvailable)), window_(mainWindow) {
    if (!xembedAvailable_) {
        // Both kinds of notification area are watched, not polled: nothing here wakes
        // the program until a desktop changes.
        xembed_ = new XEmbedTrayWatch(this);
        xembedAvailable_ = [this] { return xembed_->Present(); };
        connect(xembed_, &XEmbedTrayWatch::Changed, this, &QtTrayPlatform::TraysChanged);
        const QDBusConnection bus = QDBusConnection::sessionBus();
        if (bus.isConnected()) {
            sniWatch_ = new StatusNotifierWatch(bus, this);
            sni_ = new StatusNotifierItem(this);
            connect(sniWatch_, &StatusNotifierWatch::Changed, this, &QtTrayPlatform::TraysChanged);
            connect(sniWatch_, &StatusNotifierWatch::Restarted, sni_,
                    &StatusNotifierItem::RegisterAgain);
            connect(sni_, &StatusNotifierItem::Activated, this, &QtTrayPlatform::OnActivated);
        }
    }
    if (window_)
        window_->installEventFilter(this);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &QtTrayPlatform::EndSession);
}

QtTrayPlatform::~QtTrayPlatform() {
    if (window_)
        window_->removeEventFilter(this);
}

QSystemTrayIcon& QtTrayPlatform::TrayIcon() {
    if (!tray_) {
        tray_ = std::make_unique<QSystemTrayIcon>();
        connect(tray_.get(), &QSystemTrayIcon::activated, this, &QtTrayPlatform::OnActivated);
    }
    return *tray_;
}

QtTrayPlatform::Route QtTrayPlatform::Wanted() const {
    // The D-Bus tray first: where a desktop offers both, that is the one it shows.
    if (sniWatch_ && sniWatch_->Available())
        return Route::StatusNotifier;
    return xembedAvailable_() ? Route::XEmbed : Route::None;
}

void QtTrayPlatform::TraysChanged() {
    const Route wanted = Wanted();
    if (wanted == shownIn_)
        return;
    if (!IconShown()) {
        if (events_)
            events_->TrayAppeared(); // the component knows whether its icon goes there
        return;
    }
    // Moving from one notification area to another keeps a hidden window hidden.
    Withdraw();
    if (!PutIcon(wanted) && events_)
        events_->TrayGone();
}

void QtTrayPlatform::EndSession() {
    if (events_)
        events_->EndSession();
}

std::vector<TrayMouse> QtTrayPlatform::MouseOf(QSystemTrayIcon::ActivationReason reason) {
    // A click comes as one activation: the button went down and up.
    const auto click = [](TMouseButton button) {
        return std::vector<TrayMouse>{{TrayMouse::Press, button, 0, {}},
                                      {TrayMouse::Release, button, 0, {}}};
    };
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return click(mbLeft);
    case QSystemTrayIcon::MiddleClick:
        return click(mbMiddle);
    case QSystemTrayIcon::Context:
        return click(mbRight);
    case QSystemTrayIcon::DoubleClick:
        return {{TrayMouse::DoubleClick, mbLeft, 0, {}}};
    default:
        return {};
    }
}

void QtTrayPlatform::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    const QPoint at = QCursor::pos();
    const Qt::KeyboardModifiers held = QGuiApplication::queryKeyboardModifiers();
    const TShiftState keys = (held & Qt::ShiftModifier ? ssShift : 0) |
                             (held & Qt::ControlModifier ? ssCtrl : 0) |
                             (held & Qt::AltModifier ? ssAlt : 0);
    for (TrayMouse mouse : MouseOf(reason)) {
        // A step may take the icon away.
        if (!events_ || !IconShown())
            return;
        mouse.keys = keys;
        mouse.at = {at.x(), at.y()};
        events_->IconMouse(mouse);
    }
}

QIcon QtTrayPlatform::PlaceholderIcon() {
    // The tray shows nothing without an image.
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x2a, 0x7a, 0xd8));
    painter.setPen(QPen(Qt::white, 4));
    painter.drawEllipse(4, 4, 56, 56);
    painter.drawLine(32, 32, 32, 14);
    painter.drawLine(32, 32, 46, 38);
    painter.end();
    return QIcon(pixmap);
}

QIcon QtTrayPlatform::Image() const {
    const auto icon = icons_.find(image_);
    return icon != icons_.end() && !icon->second.isNull() ? icon->second : PlaceholderIcon();
}

bool QtTrayPlatform::ShowIcon(IconHandle image, const std::string& hint) {
    ChangeIcon(image, hint);
    return IconShown() || PutIcon(Wanted());
}

void QtTrayPlatform::ChangeIcon(IconHandle image, const std::string& hint) {
    image_ = image;
    hint_ = QString::fromStdString(hint);
    if (shownIn_ == Route::StatusNotifier)
        sni_->Update(Image(), hint_);
    if (shownIn_ == Route::XEmbed) {
        TrayIcon().setIcon(Image());
        TrayIcon().setToolTip(hint_);
    }
}

bool QtTrayPlatform::PutIcon(Route route) {
    if (route == Route::StatusNotifier && !sni_->Publish(Image(), hint_))
        return false;
    if (route == Route::XEmbed) {
        TrayIcon().setIcon(Image());
        TrayIcon().setToolTip(hint_);
        TrayIcon().show();
    }
    shownIn_ = route;
    return IconShown();
}

bool QtTrayPlatform::HideIcon() {
    if (!IconShown())
        return false;
    Withdraw();
    return true;
}

void QtTrayPlatform::Withdraw() {
    if (shownIn_ == Route::StatusNotifier)
        sni_->Withdraw();
    if (shownIn_ == Route::XEmbed)
        TrayIcon().hide();
    shownIn_ = Route::None;
}

IconHandle QtTrayPlatform::ProgramIcon() {
    QIcon icon = window_ ? window_->windowIcon() : QApplication::windowIcon();
    if (icon.isNull())
        icon = PlaceholderIcon();
    icons_[kProgramIcon] = icon;
    return kProgramIcon;
}

IconHandle QtTrayPlatform::RegisterIcon(const QIcon& icon) {
    const IconHandle handle = nextIcon_++;
    icons_[handle] = icon;
    return handle;
}

void QtTrayPlatform::MinimizeWindow() {
    if (!window_ || window_->isMinimized() || hiddenInTray_ || hidePending_)
        return;
    ownStateChange_ = true;
    window_->showMinimized();
    ownStateChange_ = false;
}

void QtTrayPlatform::HideWindow() {
    if (!window_)
        return;
    // Hiding in the middle of the window manager's minimise confuses some of them:
    // let the minimise finish first.
    hidePending_ = true;
    QTimer::singleShot(0, this, [this] {
        if (!std::exchange(hidePending_, false) || !window_ || !IconShown())
            return;
        hiddenInTray_ = true;
        window_->hide();
    });
}

void QtTrayPlatform::RestoreWindow() {
    if (!window_)
        return;
    hidePending_ = false;
    hiddenInTray_ = false;
    sinceRestore_.start();
    ownStateChange_ = true;
    // A window shown while still flagged minimised would come back as an icon.
    if (window_->isMinimized())
        window_->setWindowState((window_->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window_->show();
    window_->raise();
    window_->activateWindow();
    ownStateChange_ = false;
}

ScreenPoint QtTrayPlatform::CursorPos() {
    const QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

void QtTrayPlatform::ActivateForMenu() {
    if (QWidget* active = QApplication::activeWindow()) {
        active->raise();
        active->activateWindow();
    }
}

std::unique_ptr<TrayTimer> QtTrayPlatform::CreateTimer() {
    return std::make_unique<QtTrayTimer>();
}

bool QtTrayPlatform::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_ || event->type() != QEvent::WindowStateChange || ownStateChange_ ||
        hiddenInTray_ || hidePending_ || !events_)
        return QObject::eventFilter(watched, event);
    const bool wasMinimized =
        static_cast<QWindowStateChangeEvent*>(event)->oldState() & Qt::WindowMinimized;
    if (window_->isMinimized() && sinceRestore_.isValid() &&
        sinceRestore_.elapsed() < kRestoreSettleMs) {
        // The state bounced while the window came back: keep it shown.
        QTimer::singleShot(0, this, [this] {
            if (!window_ || hiddenInTray_)
                return;
            ownStateChange_ = true;
            window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
            ownStateChange_ = false;
            window_->show();
            window_->raise();
        });
    } else if (window_->isMinimized()) {
        events_->WindowMinimized();
    } else if (wasMinimized) {
        events_->WindowRestored();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace lumivox
