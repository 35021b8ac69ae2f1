#include "timing/platform/desktopdonotdisturb.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QVariant>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <xcb/xcb.h>

namespace lumivox {

namespace {

// The window thread waits for each answer: a desktop that hangs costs the chime no more.
constexpr int kBusTimeoutMs = 300;

// The call's one answer, unwrapped from however many variants it came in; invalid on an
// error or a missing service (which is not started for the question).
QVariant Ask(const char* service, const char* path, const char* interface, const char* method,
             const QVariantList& arguments) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return {};
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(service), QString::fromLatin1(path),
                                       QString::fromLatin1(interface), QString::fromLatin1(method));
    call.setArguments(arguments);
    call.setAutoStartService(false);
    const QDBusMessage reply = bus.call(call, QDBus::Block, kBusTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    QVariant value = reply.arguments().first();
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

struct XConnection {
    xcb_connection_t* c = nullptr;
    ~XConnection() {
        if (c)
            xcb_disconnect(c);
    }
    xcb_atom_t Atom(const char* name) {
        auto cookie = xcb_intern_atom(c, 1, static_cast<uint16_t>(std::strlen(name)), name);
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(c, cookie, nullptr), &std::free);
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }
    // Up to 64 values of a 32-bit property.
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)>
    Property(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
        auto cookie = xcb_get_property(c, 0, window, property, type, 0, 64);
        return {xcb_get_property_reply(c, cookie, nullptr), &std::free};
    }
};

} // namespace

bool DesktopDoNotDisturb::Now() {
    return NotificationsInhibited() || BannersOff() || FullScreenInFront();
}

bool DesktopDoNotDisturb::NotificationsInhibited() {
    const QVariant inhibited =
        Ask("org.freedesktop.Notifications", "/org/freedesktop/Notifications",
            "org.freedesktop.DBus.Properties", "Get",
            {QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Inhibited")});
    return inhibited.typeId() == QMetaType::Bool && inhibited.toBool();
}

bool DesktopDoNotDisturb::BannersOff() {
    const QVariantList key{QStringLiteral("org.gnome.desktop.notifications"),
                           QStringLiteral("show-banners")};
    const char* const service = "org.freedesktop.portal.Desktop";
    const char* const path = "/org/freedesktop/portal/desktop";
    const char* const settings = "org.freedesktop.portal.Settings";
    // ReadOne is the newer call; older portals offer only Read, which wraps the value twice.
    QVariant shown = Ask(service, path, settings, "ReadOne", key);
    if (!shown.isValid())
        shown = Ask(service, path, settings, "Read", key);
    return shown.typeId() == QMetaType::Bool && !shown.toBool();
}

bool DesktopDoNotDisturb::FullScreenInFront() {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        return false;
    // A connection of its own for the moment of the question: Qt's may be Wayland's.
    XConnection x;
    int screenNumber = 0;
    x.c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(x.c))
        return false;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(x.c));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem)
        return false;
    const xcb_atom_t activeAtom = x.Atom("_NET_ACTIVE_WINDOW");
    const xcb_atom_t stateAtom = x.Atom("_NET_WM_STATE");
    const xcb_atom_t fullScreen = x.Atom("_NET_WM_STATE_FULLSCREEN");
    if (activeAtom == XCB_ATOM_NONE || stateAtom == XCB_ATOM_NONE || fullScreen == XCB_ATOM_NONE)
        return false;
    const auto active = x.Property(it.data->root, activeAtom, XCB_ATOM_WINDOW);
    if (!active || active->format != 32 || xcb_get_property_value_length(active.get()) < 4)
        return false;
    const xcb_window_t window = *static_cast<xcb_window_t*>(xcb_get_property_value(active.get()));
    if (window == XCB_WINDOW_NONE)
        return false;
    const auto state = x.Property(window, stateAtom, XCB_ATOM_ATOM);
    if (!state || state->format != 32)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(state.get()));
    const int count = xcb_get_property_value_length(state.get()) / 4;
    for (int i = 0; i < count; ++i)
        if (atoms[i] == fullScreen)
            return true;
    return false;
}

} // namespace lumivox
