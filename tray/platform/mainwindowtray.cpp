#include "tray/platform/mainwindowtray.h"

#include <QCoreApplication>
#include <QSystemTrayIcon>

namespace lumivox {

namespace {
// A tray host that starts late (or restarts) is noticed within this time.
constexpr int kPollMs = 2000;
} // namespace

MainWindowTray::MainWindowTray(QWidget* mainWindow, std::function<bool()> availability)
    : available_(availability ? std::move(availability)
                              : [] { return QSystemTrayIcon::isSystemTrayAvailable(); }),
      platform_(std::make_unique<QtTrayPlatform>(mainWindow)), icon_(nullptr) {
    platform_->SetTrayAvailability(available_);
    icon_ = std::make_unique<TTrayIcon>(*platform_);
    // The stored settings, in the order a form reader applies them. Without a
    // notification area the icon waits: a hidden window with no icon would be lost.
    icon_->BeginLoad();
    ShowIcon();
    icon_->SetHint("Lumivox语音定时器");
    icon_->SetHide(true);
    icon_->RestoreOn = imLeftClickUp;
    icon_->PopupMenuOn = imNone;
    icon_->Loaded();

    connect(&poll_, &QTimer::timeout, this, &MainWindowTray::CheckAvailability);
    poll_.start(kPollMs);
    // Leaving the program or the session takes the icon away.
    connect(qApp, &QCoreApplication::aboutToQuit, this,
            [this] { platform_->BroadcastToUtilityWindows(msg::kEndSession); });
}

MainWindowTray::~MainWindowTray() {
    icon_.reset(); // before the platform it talks to
}

void MainWindowTray::ShowIcon() {
    if (!available_())
        return;
    try {
        icon_->SetVisible(true);
        iconShown_ = true;
    } catch (const EOutOfResources&) {
        // Tried again on the next poll; until then the window minimises as usual.
    }
}

void MainWindowTray::WithdrawIcon() {
    // Bring the window back before its only way back goes.
    if (platform_->WindowHiddenInTray())
        icon_->Restore();
    try {
        icon_->SetVisible(false);
    } catch (const EOutOfResources&) {
    }
    iconShown_ = false;
}

void MainWindowTray::CheckAvailability() {
    const bool available = available_();
    if (available && !iconShown_)
        ShowIcon();
    else if (!available && iconShown_)
        WithdrawIcon();
}

} // namespace lumivox
