#!/usr/bin/python3
"""Drives the Secret Service on the session bus through python3-secretstorage
(which opens the DH session) and raw jeepney calls for what a well-behaved
client never sends. Each step prints nothing and exits 0 when it holds;
otherwise it raises.

usage: secret_service_client.py STEP [RESULT_FILE]
"""
import os
import sys
import time

import secretstorage
from jeepney import DBusAddress, HeaderFields, MatchRule, new_method_call
from jeepney.bus_messages import message_bus
from jeepney.io.blocking import open_dbus_connection
from jeepney.wrappers import DBusErrorResponse

SERVICE = "/org/freedesktop/secrets"
BUS_NAME = "org.freedesktop.secrets"
ATTRS = {"application": "quillbox-e2e", "account": "jdoe"}


def expect(condition, what):
    if not condition:
        raise AssertionError(what)


def error_of(connection, path, interface, method, signature="", *body):
    """The D-Bus error name a raw call gets back, or None when it succeeds."""
    address = DBusAddress(path, bus_name=BUS_NAME, interface=interface)
    reply = connection.send_and_get_reply(new_method_call(address, method, signature, body))
    if reply.header.message_type.name == "error":
        return reply.header.fields[4] if 4 in reply.header.fields else "error"
    return None


def error_name(connection, *call):
    try:
        return error_of(connection, *call)
    except DBusErrorResponse as error:
        return error.name


def lifecycle(connection):
    """create, search by attributes, get, set, delete."""
    collection = secretstorage.get_default_collection(connection)
    expect(not collection.is_locked(), "the collection is unlocked")
    item = collection.create_item("E2E item", ATTRS, b"first-secret")
    found = list(collection.search_items(ATTRS))
    expect([i.item_path for i in found] == [item.item_path], "search finds the one item")
    expect(found[0].get_secret() == b"first-secret", "the secret reads back")
    expect(found[0].get_label() == "E2E item", "label")
    attributes = found[0].get_attributes()
    expect(attributes["application"] == "quillbox-e2e" and attributes["UserName"] == "", "attributes")
    item.set_secret(b"second-secret")
    expect(item.get_secret() == b"second-secret", "the new secret reads back")
    # replace: the same attributes give the same item.
    again = collection.create_item("E2E item", ATTRS, b"third-secret", replace=True)
    expect(again.item_path == item.item_path, "replace keeps the item")
    expect(item.get_secret() == b"third-secret", "the replaced secret")
    expect(list(secretstorage.search_items(connection, {"account": "nobody"})) == [], "no match")
    item.delete()
    expect(list(collection.search_items(ATTRS)) == [], "deleted")


def signals(connection):
    """ItemCreated, ItemChanged and ItemDeleted, each with the item's path."""
    collection = secretstorage.get_default_collection(connection)
    # The signals come from the collection's own path, not its alias.
    service = DBusAddress(SERVICE, bus_name=BUS_NAME, interface="org.freedesktop.Secret.Service")
    (path,) = connection.send_and_get_reply(new_method_call(service, "ReadAlias", "s", ("default",))).body
    expect(path.startswith("/org/freedesktop/secrets/collection/"), "ReadAlias: %s" % path)
    rule = MatchRule(type="signal", interface="org.freedesktop.Secret.Collection", path=path)
    connection.send_and_get_reply(message_bus.AddMatch(rule))
    with connection.filter(rule) as queue:
        def next_signal():
            signal = connection.recv_until_filtered(queue, timeout=10)
            return signal.header.fields[HeaderFields.member], signal.body
        item = collection.create_item("Signalled", {"application": "signals"}, b"s1")
        expect(next_signal() == ("ItemCreated", (item.item_path,)), "ItemCreated")
        item.set_secret(b"s2")
        expect(next_signal() == ("ItemChanged", (item.item_path,)), "ItemChanged")
        item.delete()
        expect(next_signal() == ("ItemDeleted", (item.item_path,)), "ItemDeleted")


def keep(connection):
    """An item that stays, for quillbox-cli to read."""
    collection = secretstorage.get_default_collection(connection)
    collection.create_item("Kept by python", {"application": "keeper"}, b"kept-secret", replace=True)


def read_kept(connection):
    collection = secretstorage.get_default_collection(connection)
    (item,) = list(collection.search_items({"application": "keeper"}))
    expect(item.get_secret() == b"kept-secret", "kept secret")


def lock(connection):
    """Locks through the service; the item says so and GetSecret fails with IsLocked."""
    collection = secretstorage.get_default_collection(connection)
    (item,) = list(collection.search_items({"application": "keeper"}))
    session = secretstorage.util.open_session(connection)
    collection.lock()
    expect(collection.is_locked(), "the collection is locked")
    expect(item.is_locked(), "the item is locked")
    name = error_name(connection, item.item_path, "org.freedesktop.Secret.Item", "GetSecret", "o",
                      session.object_path)
    expect(name == "org.freedesktop.Secret.Error.IsLocked", "GetSecret of a locked item: %s" % name)
    expect(list(collection.search_items({"application": "keeper"})) == [], "a locked safe finds nothing")


def unlock(connection):
    """Unlock's prompt completes once the window's log-in opens the safe."""
    collection = secretstorage.get_default_collection(connection)
    expect(collection.is_locked(), "locked before the prompt")
    expect(collection.unlock() is False, "the prompt was dismissed")
    expect(not collection.is_locked(), "unlocked after the prompt")


def unlock_dismissed(connection):
    collection = secretstorage.get_default_collection(connection)
    expect(collection.unlock() is True, "the prompt completed without the log-in")


def get_secrets_locked(connection):
    """GetSecrets leaves locked items out, with or without a question to ask."""
    collection = secretstorage.get_default_collection(connection)
    (item,) = list(collection.search_items({"application": "keeper"}))
    session = secretstorage.util.open_session(connection)
    collection.lock()
    service = DBusAddress(SERVICE, bus_name=BUS_NAME, interface="org.freedesktop.Secret.Service")
    reply = connection.send_and_get_reply(new_method_call(service, "GetSecrets", "aoo",
                                                          ([item.item_path], session.object_path)))
    expect(reply.body == ({},), "GetSecrets of a locked item: %r" % (reply.body,))


def is_unlocked(connection):
    expect(not secretstorage.get_default_collection(connection).is_locked(), "unlocked")


def bad_input(connection):
    """Wrong types, unknown paths, huge attribute sets, a malformed DH key."""
    collection = secretstorage.get_default_collection(connection)
    path = collection.collection_path
    service = "org.freedesktop.Secret.Service"
    cases = [
        (SERVICE, service, "OpenSession", "ss", "plain", "x"),
        (SERVICE, service, "OpenSession", "sv", "dh-ietf1024-sha256-aes128-cbc-pkcs7", ("ay", b"\x01")),
        (SERVICE, service, "OpenSession", "sv", "dh-ietf1024-sha256-aes128-cbc-pkcs7", ("ay", b"")),
        (SERVICE, service, "OpenSession", "sv", "dh-ietf1024-sha256-aes128-cbc-pkcs7", ("ay", b"\xff" * 129)),
        (SERVICE, service, "OpenSession", "sv", "dh-ietf1024-sha256-aes128-cbc-pkcs7", ("s", "key")),
        (SERVICE, service, "OpenSession", "sv", "rot13", ("s", "")),
        (SERVICE, service, "SearchItems", "s", "application"),
        (SERVICE, service, "GetSecrets", "ao", [path + "/00"]),
        (SERVICE, service, "NoSuchMethod", ""),
        (path, "org.freedesktop.Secret.Collection", "SearchItems", "a{sv}", {"a": ("s", "b")}),
        (path, "org.freedesktop.Secret.Collection", "CreateItem", "a{sv}", {}),
        (path, "org.freedesktop.Secret.Collection", "Delete", ""),
        (path + "/0123456789abcdef0123456789abcdef", "org.freedesktop.Secret.Item", "GetSecret", "o", "/"),
        (path + "/nothing", "org.freedesktop.Secret.Item", "Delete", ""),
        ("/org/freedesktop/secrets/session/s999", "org.freedesktop.Secret.Session", "Close", ""),
        (path, "org.freedesktop.DBus.Properties", "Get", "ss", "org.freedesktop.Secret.Collection", "Nothing"),
        (path, "org.freedesktop.DBus.Properties", "Set", "ssv", "org.freedesktop.Secret.Collection", "Locked",
         ("b", False)),
    ]
    for case in cases:
        expect(error_name(connection, *case) is not None, "an error for %r" % (case[2:4],))
    session = secretstorage.util.open_session(connection)
    secret = secretstorage.util.format_secret(session, b"x", "text/plain")
    huge = {"a%d" % i: "v" for i in range(5000)}
    properties = {"org.freedesktop.Secret.Item.Label": ("s", "huge"),
                  "org.freedesktop.Secret.Item.Attributes": ("a{ss}", huge)}
    name = error_name(connection, path, "org.freedesktop.Secret.Collection", "CreateItem", "a{sv}(oayays)b",
                      properties, secret, False)
    expect(name == "org.freedesktop.DBus.Error.InvalidArgs", "huge attribute set: %s" % name)
    expect(list(collection.search_items(huge)) == [], "a huge search finds nothing")
    wrong_label = {"org.freedesktop.Secret.Item.Label": ("u", 5)}
    name = error_name(connection, path, "org.freedesktop.Secret.Collection", "CreateItem", "a{sv}(oayays)b",
                      wrong_label, secret, False)
    expect(name == "org.freedesktop.DBus.Error.InvalidArgs", "a label of the wrong type: %s" % name)
    garbled = (session.object_path, b"\x00" * 16, b"\x01" * 17, "text/plain") if session.encrypted else None
    if garbled is not None:
        name = error_name(connection, path, "org.freedesktop.Secret.Collection", "CreateItem", "a{sv}(oayays)b",
                          {}, garbled, False)
        expect(name == "org.freedesktop.DBus.Error.InvalidArgs", "a garbled secret: %s" % name)


def listing(connection):
    """Only the entries tagged "Secret Service" are items: Items and both searches."""
    collection = secretstorage.get_default_collection(connection)
    labels = sorted(item.get_label() for item in collection.get_all_items())
    expect("Served" in labels and "Bank" not in labels, "items: %r" % labels)
    found = [item.get_label() for item in collection.search_items({"UserName": "jdoe"})]
    expect(found == ["Served"], "collection search: %r" % found)
    found = [item.get_label() for item in secretstorage.search_items(connection, {"Title": "Bank"})]
    expect(found == [], "service search: %r" % found)


def foreign_prompt(connection):
    """A prompt answers only the client that asked for it."""
    collection = secretstorage.get_default_collection(connection)
    expect(collection.is_locked(), "locked before the log-in")
    service = DBusAddress(SERVICE, bus_name=BUS_NAME, interface="org.freedesktop.Secret.Service")
    reply = connection.send_and_get_reply(new_method_call(service, "Unlock", "ao", ([collection.collection_path],)))
    unlocked, prompt = reply.body
    expect(unlocked == [] and prompt != "/", "Unlock: %r" % (reply.body,))
    other = open_dbus_connection(bus="SESSION")
    for method, signature, body in (("Dismiss", "", ()), ("Prompt", "s", ("",))):
        name = error_name(other, prompt, "org.freedesktop.Secret.Prompt", method, signature, *body)
        expect(name == "org.freedesktop.DBus.Error.AccessDenied", "another client's %s: %s" % (method, name))
    other.close()
    expect(error_name(connection, prompt, "org.freedesktop.Secret.Prompt", "Dismiss", "") is None, "own Dismiss")


def plain_refused(connection):
    """Secrets in the clear are refused while reads are confirmed."""
    name = error_name(connection, SERVICE, "org.freedesktop.Secret.Service", "OpenSession", "sv", "plain", ("s", ""))
    expect(name == "org.freedesktop.DBus.Error.NotSupported", "a plain session: %s" % name)


def change_expect_denied(connection):
    """Renaming and deleting an item another client made are asked about; Deny refuses both."""
    collection = secretstorage.get_default_collection(connection)
    (item,) = list(collection.search_items({"application": "keeper"}))
    for change in (lambda: item.set_label("Renamed"), item.delete):
        try:
            change()
        except DBusErrorResponse as error:
            expect(error.name == "org.freedesktop.DBus.Error.AccessDenied", "denied: %s" % error.name)
            continue
        raise AssertionError("a denied change went through")


def own_changes(connection):
    """A client changes and deletes what it created without a question."""
    collection = secretstorage.get_default_collection(connection)
    item = collection.create_item("Own", {"application": "own"}, b"own-1")
    item.set_label("Own renamed")
    item.set_secret(b"own-2")
    item.set_attributes({"application": "own", "more": "1"})
    item.delete()


def waiting_limit(connection):
    """One client has at most 8 reads waiting for the user; another client
    still gets its question. The shell denies that question."""
    other = open_dbus_connection(bus="SESSION")
    collection = secretstorage.get_default_collection(other)
    (item,) = list(collection.search_items({"application": "keeper"}))
    address = DBusAddress(item.item_path, bus_name=BUS_NAME, interface="org.freedesktop.Secret.Item")
    other_session = secretstorage.util.open_session(other)
    other.send(new_method_call(address, "GetSecret", "o", (other_session.object_path,)), serial=5000)
    session = secretstorage.util.open_session(connection)
    for serial in range(1000, 1009):
        connection.send(new_method_call(address, "GetSecret", "o", (session.object_path,)), serial=serial)
    deadline = time.monotonic() + 20
    while True:
        reply = connection.receive(timeout=deadline - time.monotonic())
        if reply.header.fields.get(HeaderFields.reply_serial) == 1008:
            break
    name = reply.header.fields.get(HeaderFields.error_name)
    expect(name == "org.freedesktop.DBus.Error.LimitsExceeded", "the ninth read: %s" % name)
    with open(sys.argv[2], "w") as result:
        result.write("limited\n")
    deadline = time.monotonic() + 60
    while True:
        reply = other.receive(timeout=deadline - time.monotonic())
        if reply.header.fields.get(HeaderFields.reply_serial) == 5000:
            break
    name = reply.header.fields.get(HeaderFields.error_name)
    expect(name == "org.freedesktop.DBus.Error.AccessDenied", "the other client's read: %s" % name)


def forked(connection):
    """The connection is forked away and the process the bus names runs
    /usr/bin/sleep: the read is asked about as from an unknown program,
    without Allow Always. The child writes its result to RESULT_FILE."""
    collection = secretstorage.get_default_collection(connection)
    (item,) = list(collection.search_items({"application": "keeper"}))
    session = secretstorage.util.open_session(connection)
    parent = os.getpid()
    if os.fork() != 0:
        os.execv("/usr/bin/sleep", ["sleep", "120"])
    deadline = time.monotonic() + 10
    while os.readlink("/proc/%d/exe" % parent) != "/usr/bin/sleep" and time.monotonic() < deadline:
        time.sleep(0.05)
    outcome = "read"
    try:
        item.get_secret()
    except DBusErrorResponse as error:
        outcome = error.name
    with open(sys.argv[2], "w") as result:
        result.write(outcome + "\n")
    os._exit(0)


def read_kept_expect_denied(connection):
    collection = secretstorage.get_default_collection(connection)
    (item,) = list(collection.search_items({"application": "keeper"}))
    try:
        item.get_secret()
    except DBusErrorResponse as error:
        expect(error.name == "org.freedesktop.DBus.Error.AccessDenied", "denied: %s" % error.name)
        return
    raise AssertionError("a denied read returned the secret")


STEPS = {name: step for name, step in globals().items()
         if callable(step) and name in ("lifecycle", "signals", "keep", "read_kept", "lock", "unlock", "unlock_dismissed", "get_secrets_locked",
                                        "is_unlocked", "bad_input", "read_kept_expect_denied", "listing",
                                        "foreign_prompt", "plain_refused", "change_expect_denied", "own_changes",
                                        "waiting_limit", "forked")}

if __name__ == "__main__":
    step = STEPS[sys.argv[1]]
    step(secretstorage.dbus_init())
