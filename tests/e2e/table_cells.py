#!/usr/bin/python3
"""Reads a shown table of a running Qt program, found by its accessible name
through the program's accessibility tree on the test's private AT-SPI bus.

Places are told on the screen as xdotool sees it: the window's origin on the
bus can differ from the X server's under a reparenting window manager, so
the caller passes the window's client origin as xdotool gives it (ORIGIN is
"X,Y") and places are moved by the difference.

usage: table_cells.py BUS_ADDRESS PID TABLE_NAME ORIGIN column N
         prints the texts of column N, top row first, one a line
       table_cells.py BUS_ADDRESS PID TABLE_NAME ORIGIN header N
         prints the middle of column N's header on the screen as "X Y"
       table_cells.py BUS_ADDRESS PID TABLE_NAME ORIGIN cell TEXT
         prints the middle of the first column's cell reading TEXT as "X Y"
Exits 1 when the table (or the cell) is not shown yet.
"""
import sys

import dbus

from atspi_program import program_service

ACCESSIBLE = "org.a11y.atspi.Accessible"
COMPONENT = "org.a11y.atspi.Component"
TABLE = "org.a11y.atspi.Table"
PROPERTIES = "org.freedesktop.DBus.Properties"
ROOT = "/org/a11y/atspi/accessible/root"
SCREEN_COORDS = 0
# Tables are looked for in windows and their containers, never inside lists.
WALKED_ROLES = {"application", "frame", "window", "dialog", "panel", "filler", "scroll pane", "layered pane"}


def name_of(node):
    return str(node.Get(ACCESSIBLE, "Name", dbus_interface=PROPERTIES))


def find_table(bus, service, path, wanted, window=None, depth=0):
    """The table and the top-level window holding it."""
    node = bus.get_object(service, path, introspect=False)
    for child_service, child_path in node.GetChildren(dbus_interface=ACCESSIBLE):
        child = bus.get_object(child_service, child_path, introspect=False)
        role = str(child.GetRoleName(dbus_interface=ACCESSIBLE))
        if role == "table" and name_of(child) == wanted:
            return child, window
        if role in WALKED_ROLES and depth < 8:
            found = find_table(bus, child_service, child_path, wanted, window or child, depth + 1)
            if found is not None:
                return found
    return None


def extents(node):
    return [int(v) for v in node.GetExtents(dbus.UInt32(SCREEN_COORDS), dbus_interface=COMPONENT)]


def middle(bus, reference, shift):
    x, y, width, height = extents(bus.get_object(str(reference[0]), reference[1], introspect=False))
    if width <= 0 or height <= 0:
        return None
    return "%d %d" % (x + width // 2 + shift[0], y + height // 2 + shift[1])


def cell(bus, table, row, column):
    return table.GetAccessibleAt(dbus.Int32(row), dbus.Int32(column), dbus_interface=TABLE)


def main():
    address, pid, wanted, origin, what, argument = sys.argv[1:7]
    pid = int(pid)
    origin = [int(v) for v in origin.split(",")]
    bus = dbus.bus.BusConnection(address)
    service = program_service(bus, pid)
    if service is None:
        return 1
    try:
        found = find_table(bus, service, ROOT, wanted)
        if found is None:
            return 1
        table, window = found
        window_x, window_y = extents(window)[:2]
        shift = (origin[0] - window_x, origin[1] - window_y)
        rows = int(table.Get(TABLE, "NRows", dbus_interface=PROPERTIES))
        if what == "column":
            for row in range(rows):
                text = name_of(bus.get_object(*map(str, cell(bus, table, row, int(argument))), introspect=False))
                print(text)
            return 0
        if what == "header":
            spot = middle(bus, table.GetColumnHeader(dbus.Int32(int(argument)), dbus_interface=TABLE), shift)
        else:
            spot = None
            for row in range(rows):
                reference = cell(bus, table, row, 0)
                if name_of(bus.get_object(str(reference[0]), reference[1], introspect=False)) == argument:
                    spot = middle(bus, reference, shift)
                    break
    except dbus.DBusException as error:
        print(error, file=sys.stderr)
        return 1
    if spot is None:
        return 1
    print(spot)
    return 0


if __name__ == "__main__":
    sys.exit(main())
