#!/usr/bin/python3
"""GetSecret look-ups through python3-secretstorage against whichever program
serves org.freedesktop.secrets on the session bus.

usage: secret_service_lookups.py fill COUNT   -- stores COUNT items
       secret_service_lookups.py time COUNT   -- reads them once each; prints seconds
"""
import sys
import time

import secretstorage

SET = {"bench-set": "lookups"}


def fill(connection, count):
    collection = secretstorage.get_default_collection(connection)
    for i in range(count):
        attributes = dict(SET, index=str(i))
        collection.create_item("Bench item %d" % i, attributes, b"bench-secret-%d" % i, replace=True)


def lookups(connection, count):
    collection = secretstorage.get_default_collection(connection)
    # One DH session for all the reads, as a client keeping its items does.
    collection.session = secretstorage.util.open_session(connection)
    items = sorted(collection.search_items(SET), key=lambda item: int(item.get_attributes()["index"]))
    if len(items) != count:
        raise SystemExit("%d items, not %d" % (len(items), count))
    items[0].get_secret()  # the DH session is opened outside the timing
    start = time.perf_counter()
    for i, item in enumerate(items):
        if item.get_secret() != b"bench-secret-%d" % i:
            raise SystemExit("wrong secret for item %d" % i)
    print("%.4f" % (time.perf_counter() - start))


if __name__ == "__main__":
    mode, count = sys.argv[1], int(sys.argv[2])
    connection = secretstorage.dbus_init()
    (fill if mode == "fill" else lookups)(connection, count)
