// The program's tray icon: trycn1 with its stored settings, kept in step with the
// desktop's notification area, which may be missing or come and go.
#pragma once
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

#include "tray/platform/qttrayplatform.h"
#include "tray/trayicon.h"

namespace lumivox {

class MainWindowTray : public QObject {
    Q_OBJECT

public:
    // availability: whether a notification area is there now (tests replace it).
    explicit MainWindowTray(QWidget* mainWindow, std::function<bool()> availability = {});
    ~MainWindowTray() override;

    TTrayIcon& Icon() { return *icon_; }
    QtTrayPlatform& Platform() { return *platform_; }
    bool IconShown() const { return iconShown_; }

    // Looks at the notification area again; the poll timer calls it.
    void CheckAvailability();

private:
    void ShowIcon();
    void WithdrawIcon();

    std::function<bool()> available_;
    std::unique_ptr<QtTrayPlatform> platform_;
    std::unique_ptr<TTrayIcon> icon_;
    QTimer poll_;
    bool iconShown_ = false;
};

} // namespace lumivox
