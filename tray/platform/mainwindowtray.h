// The program's tray icon: trycn1 with the main window's settings, on a desktop whose
// notification area may be missing or come and go.
#pragma once
#include <QObject>

#include <functional>
#include <memory>
#include <utility>

#include "tray/platform/qttrayplatform.h"
#include "tray/trayicon.h"

namespace lumivox {

class MainWindowTray : public QObject {
public:
    // availability: whether an XEmbed notification area is there now; tests replace
    // the desktop with it (and then no D-Bus tray is looked for).
    explicit MainWindowTray(QWidget* mainWindow, std::function<bool()> availability = {})
        : platform_(std::make_unique<QtTrayPlatform>(mainWindow, std::move(availability))),
          icon_(std::make_unique<TTrayIcon>(*platform_)) {
        LoadMainWindowSettings(*icon_);
    }

    TTrayIcon& Icon() { return *icon_; }
    QtTrayPlatform& Platform() { return *platform_; }
    bool IconShown() const { return platform_->IconShown(); }

    // Looks at the notification areas again, as the desktop's watchers do when one
    // comes or goes.
    void CheckAvailability() { platform_->TraysChanged(); }

private:
    std::unique_ptr<QtTrayPlatform> platform_;
    std::unique_ptr<TTrayIcon> icon_; // goes first: it talks to the platform
};

} // namespace lumivox
