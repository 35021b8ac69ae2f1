// trycn1: the notification-area icon the window retreats into when minimised.
#include "app/mainform.h"

#include "tray/platform/mainwindowtray.h"

void TForm1::CreateTrayIcon() {
    auto tray = std::make_unique<lumivox::MainWindowTray>(this);
    trycn1 = &tray->Icon();
    trayIcon_ = std::move(tray);
}
