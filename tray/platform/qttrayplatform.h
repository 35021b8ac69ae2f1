// The tray icon's desktop on Qt: the program's own StatusNotifierItem or an XEmbed
// QSystemTrayIcon for the shell, the main window standing in for the application's
// top-level window.
//
// Minimise becomes hide: the user minimises the window -> eventFilter sees the state
//   change -> DeliverToHooks(kSysCommand, kScMinimize) -> TTrayIcon's application hook
//   -> TTrayIcon::Minimize -> ShowWindow(Hide) -> hidden on the event loop's next turn
//   (hidePending_, then hiddenInTray_); with no icon shown the window stays minimised.
// Click becomes restore: QSystemTrayIcon::activated or the item's Activate -> OnActivated
//   turns the reason into mouse messages (CallbackMessages) for the icon's utility
//   window -> TTrayIcon's HandleCallback -> RespondTo(RestoreOn: left button up, set by
//   MainWindowTray) -> TTrayIcon::Restore -> ApplicationRestore + ShowWindow(Restore):
//   un-minimised and shown; a minimise bouncing back within kRestoreSettleMs is undone.
#pragma once
#include <QElapsedTimer>
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>

#include <map>
#include <memory>
#include <vector>

#include "tray/trayplatform.h"

namespace lumivox {

class StatusNotifierItem;

class QtTrayPlatform : public QObject, public TrayPlatform {
    Q_OBJECT

public:
    explicit QtTrayPlatform(QWidget* mainWindow);
    ~QtTrayPlatform() override;

    bool NotifyIcon(NotifyAction action, const NotifyIconData& data) override;
    WindowHandle CreateUtilityWindow(std::function<void(WindowMessage&)> handler) override;
    void DestroyUtilityWindow(WindowHandle window) override;
    ScreenPoint CursorPos() override;
    short KeyState(int virtualKey) override;
    void ShowWindow(WindowHandle window, ShowCommand command) override;
    void SetForegroundWindow(WindowHandle window) override;
    IconHandle ApplicationIcon() override;
    WindowHandle ApplicationWindow() override;
    void ApplicationMinimize() override;
    void ApplicationRestore() override;
    void HookApplication(const void* owner, ApplicationHook hook) override;
    void UnhookApplication(const void* owner) override;
    std::optional<WindowHandle> ActiveFormWindow() override;
    std::unique_ptr<TrayTimer> CreateTimer() override;

    // Whether an XEmbed notification area is there now.
    void SetTrayAvailability(std::function<bool()> available) { available_ = std::move(available); }
    // Icons added from now on go to this item (none: to the XEmbed tray). Change it
    // only while no icon is added.
    void UseStatusNotifier(StatusNotifierItem* item);

    // Images for image lists: the handle stands for the icon from now on.
    IconHandle RegisterIcon(const QIcon& icon);

    // True while the main window is hidden into the notification area.
    bool WindowHiddenInTray() const { return hiddenInTray_; }
    // Delivers a message to every utility window, as the session manager would.
    void BroadcastToUtilityWindows(unsigned message);

    // The mouse messages one activation of the tray icon stands for.
    static std::vector<unsigned> CallbackMessages(QSystemTrayIcon::ActivationReason reason);

    // Made on first use: Qt settles then, for good, whether its icons go over D-Bus,
    // so only while no StatusNotifierWatcher is there.
    QSystemTrayIcon& TrayIcon();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnActivated(QSystemTrayIcon::ActivationReason reason);
    void DeliverToHooks(WindowMessage& message);
    void ApplyIconData(const NotifyIconData& data);
    QIcon IconOf(const NotifyIconData& data) const;
    static QString TipOf(const NotifyIconData& data);
    static QIcon PlaceholderIcon();

    std::function<bool()> available_;
    QPointer<QWidget> window_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    StatusNotifierItem* sni_ = nullptr;
    bool iconAdded_ = false;
    StatusNotifierItem* addedTo_ = nullptr;
    NotifyIconData shown_{};
    std::map<WindowHandle, std::function<void(WindowMessage&)>> utilityWindows_;
    WindowHandle nextUtilityWindow_ = 1;
    std::vector<std::pair<const void*, ApplicationHook>> hooks_;
    std::map<IconHandle, QIcon> icons_;
    IconHandle nextIcon_ = 2; // 1 is the application's icon
    bool minimising_ = false;
    bool hidePending_ = false;
    bool hiddenInTray_ = false;
    QElapsedTimer sinceRestore_;
};

} // namespace lumivox
