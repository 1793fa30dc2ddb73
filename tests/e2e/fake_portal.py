#!/usr/bin/python3
"""A desktop's global-shortcuts portal on a private session bus, for the native window's
test: answers CreateSession and BindShortcuts as a desktop does (BindShortcuts refused with
--refuse), appends each bound shortcut to LOG as "id|preferred trigger", and sends Activated
for the bound shortcuts on SIGUSR1. Needs Debian's python3-dbus and python3-gi.

usage: fake_portal.py LOG [--refuse]"""
import signal
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

PATH = "/org/freedesktop/portal/desktop"
IFACE = "org.freedesktop.portal.GlobalShortcuts"


class Request(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, response, results):
        pass


class Portal(dbus.service.Object):
    def __init__(self, bus, log, refuse):
        super().__init__(bus, PATH)
        self.bus, self.log, self.refuse, self.bound = bus, log, refuse, []

    def answer(self, sender, options, code, results):
        # The request object is named by the caller's bus name and its token.
        path = f"{PATH}/request/{sender[1:].replace('.', '_')}/{options['handle_token']}"
        request = Request(self.bus, path)
        GLib.timeout_add(50, lambda: request.Response(dbus.UInt32(code), results) and False)
        return dbus.ObjectPath(path)

    @dbus.service.method("org.freedesktop.DBus.Properties", in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return dbus.UInt32(1)

    @dbus.service.method(IFACE, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, options, sender):
        session = f"{PATH}/session/{sender[1:].replace('.', '_')}/{options['session_handle_token']}"
        return self.answer(sender, options, 0, {"session_handle": session})

    @dbus.service.method(IFACE, in_signature="oa(sa{sv})sa{sv}", out_signature="o",
                         sender_keyword="sender")
    def BindShortcuts(self, session, shortcuts, parent, options, sender):
        with open(self.log, "a") as f:
            for sid, props in shortcuts:
                f.write(f"{sid}|{props.get('preferred_trigger', '')}\n")
        if self.refuse:
            return self.answer(sender, options, 1, {})
        self.bound = [(session, sid) for sid, _ in shortcuts]
        listed = dbus.Array([(sid, {"description": props["description"]}) for sid, props in shortcuts],
                            signature="(sa{sv})")
        return self.answer(sender, options, 0, {"shortcuts": listed})

    @dbus.service.signal(IFACE, signature="osta{sv}")
    def Activated(self, session, shortcut_id, timestamp, options):
        pass

    def press(self):
        for session, sid in self.bound:
            self.Activated(session, sid, dbus.UInt64(0), dbus.Dictionary({}, signature="sv"))
        return True


DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus)
portal = Portal(bus, sys.argv[1], "--refuse" in sys.argv)
GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGUSR1, portal.press)
GLib.MainLoop().run()
