#include "tray/platform/mainwindowtray.h"

#include <QCoreApplication>
#include <QDBusConnection>

#include "tray/platform/statusnotifieritem.h"
#include "tray/platform/xembedtraywatch.h"

namespace lumivox {

MainWindowTray::MainWindowTray(QWidget* mainWindow, std::function<bool()> availability)
    : platform_(std::make_unique<QtTrayPlatform>(mainWindow)) {
    if (availability) {
        available_ = std::move(availability);
    } else {
        // Both kinds of notification area are watched, not polled: nothing here wakes
        // the program until a desktop changes.
        xembed_ = new XEmbedTrayWatch(this);
        available_ = [this] { return xembed_->Present(); };
        connect(xembed_, &XEmbedTrayWatch::Changed, this, &MainWindowTray::CheckAvailability);
        const QDBusConnection bus = QDBusConnection::sessionBus();
        if (bus.isConnected()) {
            sniWatch_ = new StatusNotifierWatch(bus, this);
            sni_ = new StatusNotifierItem(this);
            connect(sniWatch_, &StatusNotifierWatch::Changed, this,
                    &MainWindowTray::CheckAvailability);
            connect(sniWatch_, &StatusNotifierWatch::Restarted, sni_,
                    &StatusNotifierItem::RegisterAgain);
        }
    }
    platform_->SetTrayAvailability(available_);
    icon_ = std::make_unique<TTrayIcon>(*platform_);
    // The stored settings, in the order a form reader applies them. Without a
    // notification area the icon waits: a hidden window with no icon would be lost.
    icon_->BeginLoad();
    ShowIcon(Wanted());
    icon_->SetHint("Lumivox语音定时器");
    icon_->SetHide(true);
    icon_->RestoreOn = imLeftClickUp;
    icon_->PopupMenuOn = imNone;
    icon_->Loaded();

    // Leaving the program or the session takes the icon away.
    connect(qApp, &QCoreApplication::aboutToQuit, this,
            [this] { platform_->BroadcastToUtilityWindows(msg::kEndSession); });
}

MainWindowTray::~MainWindowTray() {
    icon_.reset(); // before the platform it talks to
    platform_->UseStatusNotifier(nullptr);
}

MainWindowTray::Route MainWindowTray::Wanted() const {
    // The D-Bus tray first: where a desktop offers both, that is the one it shows.
    if (sniWatch_ && sniWatch_->Available())
        return Route::StatusNotifier;
    return available_() ? Route::XEmbed : Route::None;
}

void MainWindowTray::ShowIcon(Route route) {
    if (route == Route::None)
        return;
    platform_->UseStatusNotifier(route == Route::StatusNotifier ? sni_ : nullptr);
    try {
        icon_->SetVisible(true);
        shown_ = route;
    } catch (const EOutOfResources&) {
        // Tried again when a desktop changes; until then the window minimises as usual.
    }
}

void MainWindowTray::WithdrawIcon(bool bringWindowBack) {
    // Bring the window back before its only way back goes.
    if (bringWindowBack && platform_->WindowHiddenInTray())
        icon_->Restore();
    try {
        icon_->SetVisible(false);
    } catch (const EOutOfResources&) {
    }
    shown_ = Route::None;
}

void MainWindowTray::CheckAvailability() {
    const Route wanted = Wanted();
    if (wanted == shown_)
        return;
    // Moving from one notification area to another keeps a hidden window hidden.
    if (shown_ != Route::None)
        WithdrawIcon(wanted == Route::None);
    ShowIcon(wanted);
    if (shown_ == Route::None && platform_->WindowHiddenInTray())
        icon_->Restore();
}

} // namespace lumivox
