#include "app/keepontop.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace lumivox {

bool CanKeepOnTop() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

QString KeepOnTopUnavailableReason() {
    if (CanKeepOnTop())
        return {};
    return QString::fromUtf8("当前的 Wayland 桌面不允许程序把自己的窗口置于最前面，"
                             "此选项无效。在 X11 会话中运行可使用此功能。");
}

void SetKeepOnTop(QWidget* window, bool on) {
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    if (flags == window->windowFlags())
        return;
    // QWidget::setWindowFlags() would destroy the native window and hide it; the
    // QWindow takes the flag in place, and the widget's copy is kept in step so a
    // later show() or re-creation does not undo it.
    if (QWindow* handle = window->windowHandle())
        handle->setFlags(flags);
    window->overrideWindowFlags(flags);
}

} // namespace lumivox
