#!/usr/bin/python3
"""A notification server and a desktop portal for the tests, on the session bus given.

    dnd_desktop.py notifications INHIBITED     org.freedesktop.Notifications whose
                                               Inhibited property is INHIBITED (0 or 1)
    dnd_desktop.py portal SHOW_BANNERS [old]   the portal's Settings, where GNOME's
                                               show-banners is SHOW_BANNERS; "old" offers
                                               only Read, which wraps the value twice
    dnd_desktop.py shortcuts 1                 the portal's GlobalShortcuts: prints each
                                               trigger bound, then presses it once
Prints "ready" once its name is owned.
"""
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NOTIFICATIONS = "org.freedesktop.Notifications"
PROPS = "org.freedesktop.DBus.Properties"
SETTINGS = "org.freedesktop.portal.Settings"


class Notifications(dbus.service.Object):
    def __init__(self, bus, inhibited):
        self.inhibited = inhibited
        super().__init__(bus, "/org/freedesktop/Notifications")

    @dbus.service.method(PROPS, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if interface == NOTIFICATIONS and name == "Inhibited":
            return dbus.Boolean(self.inhibited)
        raise dbus.exceptions.DBusException("no such property",
                                            name="org.freedesktop.DBus.Error.UnknownProperty")


class Portal(dbus.service.Object):
    def __init__(self, bus, show_banners, old):
        self.show_banners = show_banners
        self.old = old
        super().__init__(bus, "/org/freedesktop/portal/desktop")

    def value(self, namespace, key, wrapped=1):
        if (namespace, key) != ("org.gnome.desktop.notifications", "show-banners"):
            raise dbus.exceptions.DBusException(
                "not found", name="org.freedesktop.portal.Error.NotFound")
        return dbus.Boolean(self.show_banners, variant_level=wrapped)

    @dbus.service.method(SETTINGS, in_signature="ss", out_signature="v")
    def ReadOne(self, namespace, key):
        if self.old:
            raise dbus.exceptions.DBusException(
                "no ReadOne", name="org.freedesktop.DBus.Error.UnknownMethod")
        return self.value(namespace, key)

    @dbus.service.method(SETTINGS, in_signature="ss", out_signature="v")
    def Read(self, namespace, key):
        return self.value(namespace, key, wrapped=2)


SHORTCUTS = "org.freedesktop.portal.GlobalShortcuts"
DESKTOP = "/org/freedesktop/portal/desktop"


class Answer(dbus.service.Object):
    """A request or a session object of the portal's, at its own path."""

    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, code, results):
        pass

    @dbus.service.method("org.freedesktop.portal.Session")
    def Close(self):
        self.remove_from_connection()


class Shortcuts(dbus.service.Object):
    def __init__(self, bus):
        self.bus = bus
        self.keep = []
        super().__init__(bus, DESKTOP)

    @dbus.service.method(PROPS, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if interface == SHORTCUTS and name == "version":
            return dbus.UInt32(1)
        raise dbus.exceptions.DBusException("no such property",
                                            name="org.freedesktop.DBus.Error.UnknownProperty")

    def answer(self, sender, token, results):
        path = f"{DESKTOP}/request/{sender[1:].replace('.', '_')}/{token}"
        request = Answer(self.bus, path)
        self.keep.append(request)
        GLib.timeout_add(50, lambda: request.Response(dbus.UInt32(0), results) and False)
        return dbus.ObjectPath(path)

    @dbus.service.method(SHORTCUTS, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, options, sender):
        session = f"{DESKTOP}/session/{sender[1:].replace('.', '_')}/{options['session_handle_token']}"
        self.keep.append(Answer(self.bus, session))
        return self.answer(sender, options["handle_token"],
                           {"session_handle": dbus.String(session)})

    @dbus.service.method(SHORTCUTS, in_signature="oa(sa{sv})sa{sv}", out_signature="o",
                         sender_keyword="sender")
    def BindShortcuts(self, session, shortcuts, parent, options, sender):
        for shortcut_id, properties in shortcuts:
            print("bound", shortcut_id, properties.get("preferred_trigger", ""), flush=True)
        pressed = lambda: self.Activated(session, shortcuts[0][0], dbus.UInt64(0), {}) and False
        GLib.timeout_add(500, pressed)
        return self.answer(sender, options["handle_token"], {"shortcuts": shortcuts})

    @dbus.service.signal(SHORTCUTS, signature="osta{sv}")
    def Activated(self, session, shortcut_id, timestamp, options):
        pass


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    kind, flag = sys.argv[1], sys.argv[2] == "1"
    if kind == "notifications":
        name = dbus.service.BusName(NOTIFICATIONS, bus)
        keep = Notifications(bus, flag)
    elif kind == "shortcuts":
        name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus)
        keep = Shortcuts(bus)
    else:
        name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus)
        keep = Portal(bus, flag, len(sys.argv) > 3 and sys.argv[3] == "old")
    print("ready", flush=True)
    GLib.MainLoop().run()
    del name, keep


if __name__ == "__main__":
    main()
