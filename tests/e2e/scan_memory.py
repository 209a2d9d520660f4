#!/usr/bin/env python3
"""Counts copies of secrets in a live process's memory.

scan_memory.py PID SECRET...  prints one line per secret and encoding that
was found ("SECRET utf-8 2 [heap]"), nothing when the process holds none.
Reads every readable mapping through /proc/PID/mem (root, or ptrace rights).
"""
import re
import sys


def regions(pid):
    with open(f"/proc/{pid}/maps") as maps:
        for line in maps:
            fields = line.split()
            start, end = (int(x, 16) for x in fields[0].split("-"))
            name = fields[5] if len(fields) > 5 else "[anonymous]"
            if fields[1][0] == "r" and name not in ("[vvar]", "[vsyscall]"):
                yield start, end, name


def main():
    pid = int(sys.argv[1])
    patterns = []
    for secret in sys.argv[2:]:
        patterns.append((secret, "utf-8", secret.encode("utf-8")))
        patterns.append((secret, "utf-16", secret.encode("utf-16-le")))
    found = {}
    with open(f"/proc/{pid}/mem", "rb", 0) as mem:
        for start, end, name in regions(pid):
            try:
                mem.seek(start)
                data = mem.read(end - start)
            except (OSError, OverflowError, ValueError):
                continue
            for secret, encoding, pattern in patterns:
                count = len(re.findall(re.escape(pattern), data))
                if count:
                    key = (secret, encoding, name)
                    found[key] = found.get(key, 0) + count
    for (secret, encoding, name), count in sorted(found.items()):
        print(f"{secret} {encoding} {count} {name}")


if __name__ == "__main__":
    main()
