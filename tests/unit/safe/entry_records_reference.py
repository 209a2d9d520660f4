#!/usr/bin/python3
"""A second implementation of the version-3 safe text (docs/safe-format.md),
from that page alone, so the C++ codec is checked against code that does not
share its bugs.

  entry_records_reference.py fixture       prints the known-answer text as hex
  entry_records_reference.py check FILE    FILE holds exactly that hex, and it reads back
"""
import struct
import sys

KINDS = {"id": 0x01, "created": 0x02, "modified": 0x03, "title": 0x10, "user": 0x11, "password": 0x12,
         "url": 0x13, "notes": 0x14, "totp": 0x15, "tag": 0x20, "field": 0x30, "history": 0x40}
TEXTS = ["title", "user", "password", "url", "notes", "totp"]


def head(kind, value):
    return struct.pack("<BI", kind, len(value)) + value


def encode_entry(entry):
    fields = [(KINDS["id"], entry["id"]),
              (KINDS["created"], struct.pack("<q", entry.get("created", 0))),
              (KINDS["modified"], struct.pack("<q", entry.get("modified", 0)))]
    fields += [(KINDS[name], entry[name]) for name in TEXTS if entry.get(name)]
    fields += [(KINDS["tag"], tag) for tag in sorted(set(entry.get("tags", [])))]
    fields += [(KINDS["field"], struct.pack("<BI", int(protected), len(name)) + name + value)
               for name, value, protected in entry.get("fields", [])]
    fields += [(KINDS["history"], struct.pack("<q", when) + password) for password, when in entry.get("history", [])]
    fields += entry.get("unknown", [])
    # A stable sort by kind places unknown fields among the known ones.
    fields.sort(key=lambda field: field[0])
    return b"".join(head(kind, value) for kind, value in fields)


def encode(entries, tombstones):
    text = b"".join(head(0x01, encode_entry(entry)) for entry in entries)
    return text + b"".join(head(0x02, tid + struct.pack("<q", when)) for tid, when in sorted(tombstones))


def split(data):
    items, at = [], 0
    while at < len(data):
        kind, length = struct.unpack_from("<BI", data, at)
        at += 5
        if at + length > len(data):
            raise ValueError("value past the end")
        items.append((kind, data[at:at + length]))
        at += length
    return items


def decode(data):
    entries, tombstones = [], []
    for rtype, body in split(data):
        if rtype == 0x02:
            tombstones.append((body[:16], struct.unpack("<q", body[16:])[0]))
            continue
        if rtype != 0x01:
            raise ValueError("unknown record type")
        entry = {"tags": [], "fields": [], "history": [], "unknown": []}
        by_kind = {v: k for k, v in KINDS.items()}
        for kind, value in split(body):
            name = by_kind.get(kind)
            if name in ("created", "modified"):
                entry[name] = struct.unpack("<q", value)[0]
            elif name == "tag":
                entry["tags"].append(value)
            elif name == "field":
                flags, length = struct.unpack_from("<BI", value)
                entry["fields"].append((value[5:5 + length], value[5 + length:], bool(flags & 1)))
            elif name == "history":
                entry["history"].append((value[8:], struct.unpack_from("<q", value)[0]))
            elif name is None:
                entry["unknown"].append((kind, value))
            else:
                entry[name] = value
        entries.append(entry)
    return entries, tombstones


# The known-answer list; tests/unit/safe/entry_records_test.cpp builds the same one.
FIXTURE_ENTRIES = [
    {"id": bytes(range(1, 17)), "created": 1700000000, "modified": 1760000000, "title": b"Bank",
     "user": b"jdoe", "password": b"s3cr3t!\ttab", "url": b"https://bank.example.com/login",
     "notes": b"recovery codes:\r\n1111 2222\n3333", "totp": b"otpauth://totp/?secret=JBSWY3DPEHPK3PXP",
     "tags": [b"Work/VPN", b"Money"], "fields": [(b"PIN", b"0000", True), (b"Branch", b"Main St", False)],
     "history": [(b"old one", 1710000000), (b"older\xe4", 1720000000)],
     "unknown": [(0x16, b"\x01\x02newer"), (0x50, b"")]},
    {"id": bytes([0xff] * 16), "created": -1, "modified": 0, "title": b"Door", "password": b"1234"},
]
FIXTURE_TOMBSTONES = [(bytes([0x80] + [0] * 15), 1765000000), (bytes([0x10] * 16), 1764000000)]


def fixture_hex():
    return encode(FIXTURE_ENTRIES, FIXTURE_TOMBSTONES).hex()


def main():
    if sys.argv[1:] == ["fixture"]:
        print(fixture_hex())
        return 0
    if len(sys.argv) == 3 and sys.argv[1] == "check":
        with open(sys.argv[2]) as f:
            if f.read().strip() != fixture_hex():
                print("FAILED: the committed fixture is not the script's", file=sys.stderr)
                return 1
        entries, tombstones = decode(bytes.fromhex(fixture_hex()))
        if encode(entries, tombstones) != bytes.fromhex(fixture_hex()):
            print("FAILED: the fixture does not read back to itself", file=sys.stderr)
            return 1
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
