"""What the accessibility scripts of the end-to-end tests share: the bus
name under which a program publishes its accessibility tree."""
import dbus


def program_service(bus, pid):
    daemon = bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus")
    for name in daemon.ListNames(dbus_interface="org.freedesktop.DBus"):
        if not str(name).startswith(":"):
            continue
        try:
            owner = daemon.GetConnectionUnixProcessID(name, dbus_interface="org.freedesktop.DBus")
        except dbus.DBusException:
            continue
        if int(owner) == pid:
            return str(name)
    return None
