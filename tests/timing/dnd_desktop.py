#!/usr/bin/python3
"""A notification server and a desktop portal for the tests, on the session bus given.

    dnd_desktop.py notifications INHIBITED     org.freedesktop.Notifications whose
                                               Inhibited property is INHIBITED (0 or 1)
    dnd_desktop.py portal SHOW_BANNERS [old]   the portal's Settings, where GNOME's
                                               show-banners is SHOW_BANNERS; "old" offers
                                               only Read, which wraps the value twice
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


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    kind, flag = sys.argv[1], sys.argv[2] == "1"
    if kind == "notifications":
        name = dbus.service.BusName(NOTIFICATIONS, bus)
        keep = Notifications(bus, flag)
    else:
        name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus)
        keep = Portal(bus, flag, len(sys.argv) > 3 and sys.argv[3] == "old")
    print("ready", flush=True)
    GLib.MainLoop().run()
    del name, keep


if __name__ == "__main__":
    main()
