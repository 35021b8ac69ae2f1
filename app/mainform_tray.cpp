// trycn1: the notification-area icon the window retreats into when minimised.
#include "app/mainform.h"

#include "tray/platform/mainwindowtray.h"
#include "tray/trayicon.h"

void TForm1::CreateTrayIcon() {
    auto tray = std::make_unique<lumivox::MainWindowTray>(this);
    trycn1 = &tray->Icon();
    trayIcon_ = std::move(tray);
}

void TForm1::BringToFront() {
    // Through the tray icon's own restore when there is one: it also brings the
    // window back out of the notification area.
    if (trycn1) {
        trycn1->Restore();
        return;
    }
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}
