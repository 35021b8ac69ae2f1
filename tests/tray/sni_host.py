#!/usr/bin/python3
"""A StatusNotifierWatcher and host for the tests, on the session bus it is given.

Owns org.kde.StatusNotifierWatcher, takes item registrations, and as the host reads
each new item's properties. Every event is one line on stdout, with the wall-clock
time in milliseconds first:
    <ms> registered <service> id=<Id> title=<Title> status=<Status> tip=<tool tip title> pixmaps=<w>x<h>,...
    <ms> unregistered <service>
"""
import sys
import time

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
PROPS = "org.freedesktop.DBus.Properties"


def say(*words):
    print(int(time.time() * 1000), *words, flush=True)


class Watcher(dbus.service.Object):
    def __init__(self, bus):
        self.bus = bus
        self.items = {}  # bus name -> object path
        bus.add_signal_receiver(self.owner_changed, "NameOwnerChanged", "org.freedesktop.DBus")
        super().__init__(bus, "/StatusNotifierWatcher")

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        name, path = (sender, service) if service.startswith("/") else (service, "/StatusNotifierItem")
        self.items[name] = path
        self.StatusNotifierItemRegistered(name + path)
        GLib.idle_add(self.describe, name, path)

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, item):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemUnregistered(self, item):
        pass

    @dbus.service.signal(WATCHER, signature="")
    def StatusNotifierHostRegistered(self):
        pass

    def properties(self):
        return {
            "RegisteredStatusNotifierItems": dbus.Array(
                [n + p for n, p in self.items.items()], signature="s"),
            "IsStatusNotifierHostRegistered": dbus.Boolean(True),
            "ProtocolVersion": dbus.Int32(0),
        }

    @dbus.service.method(PROPS, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.properties()[name]

    @dbus.service.method(PROPS, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return self.properties()

    def owner_changed(self, name, old, new):
        if not new and name in self.items:
            path = self.items.pop(name)
            self.StatusNotifierItemUnregistered(name + path)
            say("unregistered", name)

    def describe(self, name, path):
        try:
            props = dbus.Interface(self.bus.get_object(name, path), PROPS).GetAll(ITEM)
            tip = props.get("ToolTip", ("", [], "", ""))
            sizes = ",".join("%dx%d" % (w, h) for w, h, data in props.get("IconPixmap", [])
                             if len(data) == w * h * 4 and any(data))
            say("registered", name, "id=%s" % props.get("Id"), "title=%s" % props.get("Title"),
                "status=%s" % props.get("Status"), "tip=%s" % tip[2], "pixmaps=%s" % sizes)
        except dbus.DBusException as e:
            say("registered", name, "unreadable=%s" % e.get_dbus_name())
        return False


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    watcher = Watcher(bus)
    if bus.request_name(WATCHER, dbus.bus.NAME_FLAG_DO_NOT_QUEUE) != dbus.bus.REQUEST_NAME_REPLY_PRIMARY_OWNER:
        sys.exit("another watcher is running")
    watcher.StatusNotifierHostRegistered()
    say("watching")
    GLib.MainLoop().run()


if __name__ == "__main__":
    sys.exit(main())
