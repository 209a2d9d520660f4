#!/usr/bin/python3
"""A second implementation of the strong safe format, from docs/safe-format.md
alone, on PyNaCl (Debian's python3-nacl), so the C++ reader and writer are
checked against code that does not share their bugs. Version 3's records come
from entry_records_reference.py; version 2 is read as the old lines.

  strong_safe_reference.py fixture         prints the known-answer safe as hex
  strong_safe_reference.py check FILE      FILE holds exactly that hex
  strong_safe_reference.py interop CLI     both directions through quillbox-cli
"""
import os
import struct
import subprocess
import sys
import tempfile

import nacl.bindings
import nacl.exceptions
import nacl.pwhash
import nacl.utils

import entry_records_reference as records

MAGIC = b"QBXSAFE\x03"
MAGIC_V2 = b"QBXSAFE\x02"
HEADER = 56
TAG = 16
EMPTY_SENTENCE = b"Build a better mousetrap and the world will beat a chicken on your doorstep"

# The known-answer safe: small parameters, fixed salt and nonce, and the
# records' known-answer list.
FIXTURE_PASSWORD = b"fixture password"
FIXTURE_PARAMS = (1, 8)
FIXTURE_SALT = bytes(range(16))
FIXTURE_NONCE = bytes(range(0x20, 0x38))


def derive(password, iterations, memory_kib, salt):
    return nacl.pwhash.argon2id.kdf(32, password, salt, opslimit=iterations, memlimit=memory_kib * 1024)


def entry_of(line, number):
    """A version-3 entry of a "title\tuser\tpassword" line."""
    title, user, password = line.split(b"\t")
    return {"id": struct.pack("<QQ", number + 1, 0x5eed), "created": 1700000000, "modified": 1700000000,
            "title": title, "user": user, "password": password}


def seal(password, lines, params, salt, nonce, entries=None):
    header = MAGIC + struct.pack("<II", *params) + salt + nonce
    key = derive(password, params[0], params[1], salt)
    if entries is None:
        entries = [entry_of(line, i) for i, line in enumerate(lines)]
    text = records.encode(entries, [])
    return header + nacl.bindings.crypto_aead_xchacha20poly1305_ietf_encrypt(text, header, nonce, key)


def seal_v2(password, lines, params, salt, nonce):
    """Version 2, which older builds wrote: the legacy lines in the envelope."""
    header = MAGIC_V2 + struct.pack("<II", *params) + salt + nonce
    key = derive(password, params[0], params[1], salt)
    text = (b"\r\n".join(lines) if lines else EMPTY_SENTENCE) + b"\0"
    return header + nacl.bindings.crypto_aead_xchacha20poly1305_ietf_encrypt(text, header, nonce, key)


def lines_of(entries):
    return [e.get("title", b"") + b"\t" + e.get("user", b"") + b"\t" + e.get("password", b"") for e in entries]


def open_safe(password, data):
    """(lines, iterations, memory in KiB, salt, nonce); raises on any fault."""
    if len(data) < HEADER + TAG or data[:8] not in (MAGIC, MAGIC_V2):
        raise ValueError("not a strong safe")
    iterations, memory_kib = struct.unpack("<II", data[8:16])
    if not 1 <= iterations <= 64 or not 8 <= memory_kib <= 4 * 1024 * 1024:
        raise ValueError("parameters out of bounds")
    salt, nonce = data[16:32], data[32:56]
    key = derive(password, iterations, memory_kib, salt)
    text = nacl.bindings.crypto_aead_xchacha20poly1305_ietf_decrypt(data[HEADER:], data[:HEADER], nonce, key)
    if data[:8] == MAGIC:
        return lines_of(records.decode(text)[0]), iterations, memory_kib, salt, nonce
    text = text[: text.index(b"\0")]
    lines = [] if text == EMPTY_SENTENCE else text.split(b"\r\n")
    return lines, iterations, memory_kib, salt, nonce


def fixture_hex():
    return seal(FIXTURE_PASSWORD, None, FIXTURE_PARAMS, FIXTURE_SALT, FIXTURE_NONCE, records.FIXTURE_ENTRIES).hex()


class Cli:
    def __init__(self, program, folder):
        self.program = program
        self.folder = folder

    def run(self, args, stdin=b""):
        command = [self.program, "--dir", self.folder, "--password-stdin"] + args
        return subprocess.run(command, input=stdin, capture_output=True, timeout=120)

    def ok(self, args, stdin=b""):
        result = self.run(args, stdin)
        check(result.returncode == 0, f"{args}: exit {result.returncode}: {result.stderr!r}")
        return result.stdout

    def path(self, user):
        return os.path.join(self.folder, user + ".SAFE")

    def read(self, user):
        with open(self.path(user), "rb") as f:
            return f.read()

    def write(self, user, data):
        with open(self.path(user), "wb") as f:
            f.write(data)


failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what, file=sys.stderr)


def interop(program):
    with tempfile.TemporaryDirectory() as folder:
        cli = Cli(program, folder)
        params = (2, 16)
        lines = [b"Bank\tjdoe\ts3cr3t!", b"Caf\xe9\t\tno user"]

        # Written here, read by quillbox-cli.
        cli.write("alice", seal(b"py made", lines, params, os.urandom(16), os.urandom(24)))
        check(cli.ok(["list", "alice"], b"py made\n") == b"1\tBank\tjdoe\n2\tCaf\xc3\xa9\t\n", "list of a script-made safe")
        # The designed three lines come first; a strong safe's other fields follow.
        check(cli.ok(["show", "alice", "2"], b"py made\n").startswith(b"Description: Caf\xc3\xa9\nUsername: \nPassword: no user\n"),
              "show of a script-made safe")
        check(b"Argon2id iterations: 2" in cli.ok(["info", "alice"]), "info shows the header's iterations")
        check(cli.run(["list", "alice"], b"py made!\n").returncode == 4, "wrong password exits 4")

        # Written by quillbox-cli, read here: a save keeps key and salt, draws a new nonce.
        before = open_safe(b"py made", cli.read("alice"))
        cli.ok(["add", "alice", "Mail", "me@example.com"], b"py made\nm41l\n")
        after = open_safe(b"py made", cli.read("alice"))
        check(after[0] == lines + [b"Mail\tme@example.com\tm41l"], "entries after add")
        check(after[1:4] == before[1:4], "add keeps parameters and salt")
        check(after[4] != before[4], "add draws a new nonce")

        # A password change: new salt, same parameters.
        cli.ok(["passwd", "alice"], b"py made\nnext one\n")
        changed = open_safe(b"next one", cli.read("alice"))
        check(changed[0] == after[0] and changed[1:3] == params and changed[3] != after[3], "passwd")

        # A damaged tag is a wrong password to the user, as a failed CRC is.
        data = bytearray(cli.read("alice"))
        data[-1] ^= 1
        cli.write("alice", bytes(data))
        result = cli.run(["list", "alice"], b"next one\n")
        check(result.returncode == 4, f"cut tag exits 4, not {result.returncode}")
        # A header out of bounds is a damaged safe.
        data[-1] ^= 1
        data[8:12] = struct.pack("<I", 65)
        cli.write("alice", bytes(data))
        check(cli.run(["list", "alice"], b"next one\n").returncode == 5, "65 iterations exit 5")

        # A version-2 safe reads, and its next save writes version 3 with every entry.
        cli.write("dave", seal_v2(b"v2 pw", lines, params, os.urandom(16), os.urandom(24)))
        check(cli.ok(["list", "dave"], b"v2 pw\n") == b"1\tBank\tjdoe\n2\tCaf\xc3\xa9\t\n", "list of a version-2 safe")
        cli.ok(["add", "dave", "Mail", "me"], b"v2 pw\nm41l\n")
        check(cli.read("dave")[:8] == MAGIC, "a version-2 safe is saved as version 3")
        check(open_safe(b"v2 pw", cli.read("dave"))[0] == lines + [b"Mail\tme\tm41l"], "version 2 to 3 keeps every entry")

        # New safes and upgrades made by quillbox-cli open here.
        cli.ok(["create", "bob"], b"bob pw\n")
        cli.ok(["add", "bob", "Door", ""], b"bob pw\n1234\n")
        check(open_safe(b"bob pw", cli.read("bob"))[0] == [b"Door\t\t1234"], "a created safe")
        cli.ok(["create", "carol", "--legacy"], b"carol pw\n")
        check(cli.read("carol")[:8] != MAGIC, "create --legacy")
        cli.ok(["add", "carol", "Old", "u"], b"carol pw\np\n")
        cli.ok(["upgrade", "carol"], b"carol pw\n")
        check(open_safe(b"carol pw", cli.read("carol"))[0] == [b"Old\tu\tp"], "an upgraded safe")
        check(cli.ok(["list", "carol"], b"carol pw\n") == b"1\tOld\tu\n", "an upgraded safe lists")


def main():
    if len(sys.argv) == 2 and sys.argv[1] == "fixture":
        print(fixture_hex())
    elif len(sys.argv) == 3 and sys.argv[1] == "check":
        with open(sys.argv[2]) as f:
            check(f.read().strip() == fixture_hex(), "the committed fixture is the script's")
        lines = open_safe(FIXTURE_PASSWORD, bytes.fromhex(fixture_hex()))[0]
        check(lines == lines_of(records.FIXTURE_ENTRIES), "the fixture opens")
    elif len(sys.argv) == 3 and sys.argv[1] == "interop":
        interop(sys.argv[2])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
