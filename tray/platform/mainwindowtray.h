// The program's tray icon: trycn1 with its stored settings, kept in step with the
// desktop's notification area, which may be missing or come and go.
#pragma once
#include <QObject>

#include <functional>
#include <memory>

#include "tray/platform/qttrayplatform.h"
#include "tray/trayicon.h"

namespace lumivox {

class StatusNotifierItem;
class StatusNotifierWatch;
class XEmbedTrayWatch;

class MainWindowTray : public QObject {
    Q_OBJECT

public:
    // availability: whether an XEmbed notification area is there now; tests replace
    // the desktop with it (and then no D-Bus tray is looked for).
    explicit MainWindowTray(QWidget* mainWindow, std::function<bool()> availability = {});
    ~MainWindowTray() override;

    TTrayIcon& Icon() { return *icon_; }
    QtTrayPlatform& Platform() { return *platform_; }
    bool IconShown() const { return shown_ != Route::None; }

    // Looks at the notification areas again; the desktop's watchers call it when one
    // comes or goes.
    void CheckAvailability();

private:
    enum class Route { None, XEmbed, StatusNotifier };
    Route Wanted() const;
    void ShowIcon(Route route);
    void WithdrawIcon(bool bringWindowBack);

    std::function<bool()> available_;
    std::unique_ptr<QtTrayPlatform> platform_;
    std::unique_ptr<TTrayIcon> icon_;
    XEmbedTrayWatch* xembed_ = nullptr;
    StatusNotifierWatch* sniWatch_ = nullptr;
    StatusNotifierItem* sni_ = nullptr;
    Route shown_ = Route::None;
};

} // namespace lumivox
