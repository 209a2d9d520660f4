#!/usr/bin/python3
"""Finds a shown menu item of a running Qt program by its text, through the
program's accessibility tree on the test's private AT-SPI bus, and prints the
middle of the item on the screen as "X Y". Items are named by their text
without the '&' of a mnemonic and without the shortcut hint after a tab.

usage: menu_item.py BUS_ADDRESS PID TEXT
Exits 1 when no showing item of that text is found (the menu is not open yet).
"""
import sys

import dbus

from atspi_program import program_service

ACCESSIBLE = "org.a11y.atspi.Accessible"
COMPONENT = "org.a11y.atspi.Component"
ROOT = "/org/a11y/atspi/accessible/root"
STATE_SHOWING = 25
SCREEN_COORDS = 0
# Only window frames and menus lead to menu items; lists and tables (which
# may hold many rows) are not searched.
WALKED_ROLES = {"application", "frame", "window", "dialog", "menu bar", "menu", "popup menu"}
ITEM_ROLES = {"menu item", "check menu item", "radio menu item"}


def item_text(name):
    return str(name).split("\t", 1)[0].replace("&", "")


def showing(node):
    states = node.GetState(dbus_interface=ACCESSIBLE)
    return bool(states[STATE_SHOWING // 32] & (1 << (STATE_SHOWING % 32)))


def find(bus, service, path, text, depth=0):
    node = bus.get_object(service, path, introspect=False)
    for child_service, child_path in node.GetChildren(dbus_interface=ACCESSIBLE):
        child = bus.get_object(child_service, child_path, introspect=False)
        role = str(child.GetRoleName(dbus_interface=ACCESSIBLE))
        if role in ITEM_ROLES:
            name = child.Get(ACCESSIBLE, "Name", dbus_interface="org.freedesktop.DBus.Properties")
            if item_text(name) == text and showing(child):
                return child
        if (role in WALKED_ROLES or role in ITEM_ROLES) and depth < 8:
            found = find(bus, child_service, child_path, text, depth + 1)
            if found is not None:
                return found
    return None


def main():
    address, pid, text = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    bus = dbus.bus.BusConnection(address)
    service = program_service(bus, pid)
    if service is None:
        return 1
    try:
        item = find(bus, service, ROOT, text)
    except dbus.DBusException:
        return 1
    if item is None:
        return 1
    x, y, width, height = item.GetExtents(dbus.UInt32(SCREEN_COORDS), dbus_interface=COMPONENT)
    if width <= 0 or height <= 0:
        return 1
    print(int(x) + int(width) // 2, int(y) + int(height) // 2)
    return 0


if __name__ == "__main__":
    sys.exit(main())
