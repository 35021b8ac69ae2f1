// The tray icon's desktop on Qt. The icon goes to the desktop's StatusNotifierItem
// watcher when there is one, else to an XEmbed tray through QSystemTrayIcon; both are
// watched, and the component hears when the first comes or the last goes. A click on
// the icon and the user's minimise of the main window are told to the component.
#pragma once
#include <QElapsedTimer>
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "tray/trayplatform.h"

namespace lumivox {

class StatusNotifierItem;
class StatusNotifierWatch;
class XEmbedTrayWatch;

class QtTrayPlatform : public QObject, public TrayPlatform {
    Q_OBJECT

public:
    // xembedAvailable: whether an XEmbed tray is there now; tests replace the desktop
    // with it (and then no D-Bus tray is looked for). Without it both are watched.
    explicit QtTrayPlatform(QWidget* mainWindow, std::function<bool()> xembedAvailable = {});
    ~QtTrayPlatform() override;

    void Listen(TrayEvents* events) override { events_ = events; }
    bool ShowIcon(IconHandle image, const std::string& hint) override;
    void ChangeIcon(IconHandle image, const std::string& hint) override;
    bool HideIcon() override;
    IconHandle ProgramIcon() override;
    void MinimizeWindow() override;
    void HideWindow() override;
    void RestoreWindow() override;
    ScreenPoint CursorPos() override;
    void ActivateForMenu() override;
    std::unique_ptr<TrayTimer> CreateTimer() override;

    // Looks at the notification areas again: the icon moves to the one preferred.
    void TraysChanged();
    // The program is quitting.
    void EndSession();

    bool IconShown() const { return shownIn_ != Route::None; }
    bool WindowHiddenInTray() const { return hiddenInTray_; }
    // Images for image lists: the handle stands for the icon from now on.
    IconHandle RegisterIcon(const QIcon& icon);

    // What one activation of the icon is, with the cursor and the keys left out.
    static std::vector<TrayMouse> MouseOf(QSystemTrayIcon::ActivationReason reason);

    // Made on first use: Qt settles then, for good, whether its icons go over D-Bus,
    // so only while no StatusNotifierWatcher is there.
    QSystemTrayIcon& TrayIcon();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Route { None, XEmbed, StatusNotifier };
    Route Wanted() const;
    bool PutIcon(Route route);
    void Withdraw();
    void OnActivated(QSystemTrayIcon::ActivationReason reason);
    QIcon Image() const;
    static QIcon PlaceholderIcon();

    TrayEvents* events_ = nullptr;
    std::function<bool()> xembedAvailable_;
    XEmbedTrayWatch* xembed_ = nullptr;
    StatusNotifierWatch* sniWatch_ = nullptr;
    StatusNotifierItem* sni_ = nullptr;
    std::unique_ptr<QSystemTrayIcon> tray_;
    Route shownIn_ = Route::None;
    IconHandle image_ = 0;
    QString hint_;
    std::map<IconHandle, QIcon> icons_;
    IconHandle nextIcon_ = 2; // 1 is the program's icon

    QPointer<QWidget> window_;
    bool ownStateChange_ = false;
    bool hidePending_ = false;
    bool hiddenInTray_ = false;
    QElapsedTimer sinceRestore_;
};

} // namespace lumivox
