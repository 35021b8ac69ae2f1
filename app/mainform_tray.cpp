// trycn1: the notification-area icon the window retreats into when minimised.
#include "app/mainform.h"

#include <QApplication>
#include <QIcon>

#include "tray/platform/mainwindowtray.h"
#include "tray/trayicon.h"

namespace {

// Title bar, task bar and tray sizes. Large ones (switchers, launchers) come from the
// installed theme icon, which the desktop finds through the desktop entry; carrying
// them here would hold about a megabyte of pixels for the whole run.
QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addFile(QStringLiteral(":/icons/lumivox-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace

void TForm1::CreateTrayIcon() {
    // The program's icon, for every window and the tray. Loading it looks through the
    // image plug-ins, one more reason this waits until the window is on screen.
    if (QApplication::windowIcon().isNull())
        QApplication::setWindowIcon(ProgramIcon());
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
