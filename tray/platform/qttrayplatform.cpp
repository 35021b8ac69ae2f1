#include "tray/platform/qttrayplatform.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

#include "tray/platform/statusnotifieritem.h"

#include <algorithm>
#include <cstring>

namespace lumivox {

namespace {

constexpr IconHandle kApplicationIcon = 1;
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

QtTrayPlatform::QtTrayPlatform(QWidget* mainWindow)
    : available_([] { return false; }), window_(mainWindow) {
    if (window_)
        window_->installEventFilter(this);
}

QSystemTrayIcon& QtTrayPlatform::TrayIcon() {
    if (!tray_) {
        tray_ = std::make_unique<QSystemTrayIcon>();
        connect(tray_.get(), &QSystemTrayIcon::activated, this, &QtTrayPlatform::OnActivated);
    }
    return *tray_;
}

void QtTrayPlatform::UseStatusNotifier(StatusNotifierItem* item) {
    if (sni_ == item)
        return;
    if (sni_)
        disconnect(sni_, nullptr, this, nullptr);
    sni_ = item;
    if (sni_)
        connect(sni_, &StatusNotifierItem::Activated, this, &QtTrayPlatform::OnActivated);
}

QtTrayPlatform::~QtTrayPlatform() {
    if (window_)
        window_->removeEventFilter(this);
}

std::vector<unsigned> QtTrayPlatform::CallbackMessages(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return {msg::kLButtonDown, msg::kLButtonUp};
    case QSystemTrayIcon::DoubleClick:
        return {msg::kLButtonDblClk};
    case QSystemTrayIcon::MiddleClick:
        return {msg::kMButtonDown, msg::kMButtonUp};
    case QSystemTrayIcon::Context:
        return {msg::kRButtonDown, msg::kRButtonUp};
    default:
        return {};
    }
}

void QtTrayPlatform::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    for (unsigned mouse : CallbackMessages(reason)) {
        if (!iconAdded_)
            return;
        const auto it = utilityWindows_.find(shown_.hWnd);
        if (it == utilityWindows_.end())
            return;
        WindowMessage m{shown_.uCallbackMessage, shown_.uID, static_cast<std::intptr_t>(mouse), 0};
        auto handler = it->second; // the handler may destroy its window
        handler(m);
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

QIcon QtTrayPlatform::IconOf(const NotifyIconData& data) const {
    const auto icon = icons_.find(data.hIcon);
    return icon != icons_.end() && !icon->second.isNull() ? icon->second : PlaceholderIcon();
}

QString QtTrayPlatform::TipOf(const NotifyIconData& data) {
    if (!(data.uFlags & kNifTip))
        return {};
    return QString::fromUtf8(data.szTip, qstrnlen(data.szTip, sizeof data.szTip));
}

void QtTrayPlatform::ApplyIconData(const NotifyIconData& data) {
    if (addedTo_) {
        addedTo_->Update(IconOf(data), TipOf(data));
    } else {
        TrayIcon().setIcon(IconOf(data));
        TrayIcon().setToolTip(TipOf(data));
    }
    shown_ = data;
}

bool QtTrayPlatform::NotifyIcon(NotifyAction action, const NotifyIconData& data) {
    switch (action) {
    case NotifyAction::Add:
        if (sni_) {
            if (!sni_->Publish(IconOf(data), TipOf(data)))
                return false;
            addedTo_ = sni_;
        } else {
            if (!available_())
                return false;
            ApplyIconData(data);
            TrayIcon().show();
        }
        shown_ = data;
        iconAdded_ = true;
        return true;
    case NotifyAction::Modify:
        if (!iconAdded_)
            return false;
        ApplyIconData(data);
        return true;
    case NotifyAction::Delete:
        if (!iconAdded_)
            return false;
        if (addedTo_)
            addedTo_->Withdraw();
        else
            TrayIcon().hide();
        addedTo_ = nullptr;
        iconAdded_ = false;
        return true;
    }
    return false;
}

WindowHandle QtTrayPlatform::CreateUtilityWindow(std::function<void(WindowMessage&)> handler) {
    const WindowHandle handle = nextUtilityWindow_++;
    utilityWindows_[handle] = std::move(handler);
    return handle;
}

void QtTrayPlatform::DestroyUtilityWindow(WindowHandle window) {
    utilityWindows_.erase(window);
}

void QtTrayPlatform::BroadcastToUtilityWindows(unsigned message) {
    std::vector<std::function<void(WindowMessage&)>> handlers;
    for (const auto& [handle, handler] : utilityWindows_)
        handlers.push_back(handler);
    for (auto& handler : handlers) {
        WindowMessage m{message, 1, 0, 0};
        handler(m);
    }
}

ScreenPoint QtTrayPlatform::CursorPos() {
    const QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

short QtTrayPlatform::KeyState(int virtualKey) {
    const Qt::KeyboardModifiers held = QGuiApplication::queryKeyboardModifiers();
    Qt::KeyboardModifier wanted = Qt::NoModifier;
    if (virtualKey == kVkShift)
        wanted = Qt::ShiftModifier;
    else if (virtualKey == kVkControl)
        wanted = Qt::ControlModifier;
    else if (virtualKey == kVkMenu)
        wanted = Qt::AltModifier;
    return wanted != Qt::NoModifier && held.testFlag(wanted) ? short(-128) : short(0);
}

WindowHandle QtTrayPlatform::ApplicationWindow() {
    return reinterpret_cast<WindowHandle>(window_.data());
}

static QWidget* WidgetFor(WindowHandle handle) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (reinterpret_cast<WindowHandle>(w) == handle)
            return w;
    return nullptr;
}

void QtTrayPlatform::ShowWindow(WindowHandle window, ShowCommand command) {
    QWidget* w = WidgetFor(window);
    if (!w)
        return;
    if (command == ShowCommand::Hide) {
        if (w != window_) {
            w->hide();
            return;
        }
        // Without an icon to come back through, the window stays on the taskbar.
        if (!iconAdded_)
            return;
        // Hiding in the middle of the window manager's minimise confuses some of
        // them: let the minimise finish first.
        hidePending_ = true;
        QTimer::singleShot(0, this, [this] {
            if (!hidePending_ || !window_ || !iconAdded_)
                return;
            hidePending_ = false;
            hiddenInTray_ = true;
            window_->hide();
        });
        return;
    }
    if (w == window_) {
        hidePending_ = false;
        hiddenInTray_ = false;
        sinceRestore_.start();
    }
    // A window shown while still flagged minimised would come back as an icon.
    if (w->windowState() & Qt::WindowMinimized)
        w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
    w->show();
}

void QtTrayPlatform::SetForegroundWindow(WindowHandle window) {
    if (QWidget* w = WidgetFor(window)) {
        w->raise();
        w->activateWindow();
    }
}

IconHandle QtTrayPlatform::ApplicationIcon() {
    QIcon icon = window_ ? window_->windowIcon() : QApplication::windowIcon();
    if (icon.isNull())
        icon = PlaceholderIcon();
    icons_[kApplicationIcon] = icon;
    return kApplicationIcon;
}

IconHandle QtTrayPlatform::RegisterIcon(const QIcon& icon) {
    const IconHandle handle = nextIcon_++;
    icons_[handle] = icon;
    return handle;
}

void QtTrayPlatform::ApplicationMinimize() {
    if (!window_ || window_->isMinimized() || hiddenInTray_ || hidePending_)
        return;
    minimising_ = true;
    window_->showMinimized();
    minimising_ = false;
}

void QtTrayPlatform::ApplicationRestore() {
    if (!window_ || !(window_->windowState() & Qt::WindowMinimized))
        return;
    window_->setWindowState((window_->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
}

void QtTrayPlatform::HookApplication(const void* owner, ApplicationHook hook) {
    for (auto& entry : hooks_) {
        if (entry.first == owner) {
            entry.second = std::move(hook);
            return;
        }
    }
    hooks_.emplace_back(owner, std::move(hook));
}

void QtTrayPlatform::UnhookApplication(const void* owner) {
    hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(),
                                [owner](const auto& entry) { return entry.first == owner; }),
                 hooks_.end());
}

void QtTrayPlatform::DeliverToHooks(WindowMessage& message) {
    const auto hooks = hooks_; // a hook may withdraw itself
    for (const auto& [owner, hook] : hooks)
        if (hook(message))
            return;
}

std::optional<WindowHandle> QtTrayPlatform::ActiveFormWindow() {
    if (QWidget* active = QApplication::activeWindow())
        return reinterpret_cast<WindowHandle>(active);
    return std::nullopt;
}

std::unique_ptr<TrayTimer> QtTrayPlatform::CreateTimer() {
    return std::make_unique<QtTrayTimer>();
}

bool QtTrayPlatform::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::WindowStateChange &&
        window_->isMinimized() && !minimising_ && !hiddenInTray_ && !hidePending_) {
        if (sinceRestore_.isValid() && sinceRestore_.elapsed() < kRestoreSettleMs) {
            // The state bounced while the window came back: keep it shown.
            QTimer::singleShot(0, this, [this] {
                if (!window_ || hiddenInTray_)
                    return;
                window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
                window_->show();
                window_->raise();
            });
        } else {
            // The user minimised the window: the system command the hooks expect.
            WindowMessage m{msg::kSysCommand, msg::kScMinimize, 0, 0};
            DeliverToHooks(m);
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace lumivox
