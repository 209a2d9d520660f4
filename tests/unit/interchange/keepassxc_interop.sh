#!/usr/bin/env bash
# The real keepassxc-cli and quillbox-cli, both ways: a KeePassXC database
# exported as CSV and XML imports into a safe, and a safe exported as KeePass
# XML imports into KeePassXC with every field intact.
# usage: keepassxc_interop.sh QUILLBOX_CLI
set -euo pipefail

quillbox=$1
if ! command -v keepassxc-cli >/dev/null; then
  echo "SKIP: keepassxc-cli is not installed (scripts/setup installs the keepassxc package)"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# A private home and no display: keepassxc-cli keeps its settings there and
# needs no window system.
mkdir home tmp
export HOME=$work/home TMPDIR=$work/tmp XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_CACHE_HOME=$work/home/.cache XDG_RUNTIME_DIR=$work/tmp QT_QPA_PLATFORM=offscreen
unset DBUS_SESSION_BUS_ADDRESS DISPLAY WAYLAND_DISPLAY

fail() { echo "FAIL: $*" >&2; exit 1; }
kx() { keepassxc-cli "$@" 2>>keepassxc.log; }
qb() { "$quillbox" --dir "$work" --password-stdin "$@"; }

# KeePassXC's database: a group, a quote and a comma, a non-ASCII letter, an
# empty user name, a note with a line break and an entry without a title.
printf 'kdbx-pw\nkdbx-pw\n' | kx db-create -q -p -t 100 db.kdbx
printf 'kdbx-pw\n' | kx mkdir -q db.kdbx Email
printf 'kdbx-pw\nsay "hi", ok\n' | kx add -q -p -u jdoe --url https://bank.example.com/login \
  --notes $'line one\nline two' db.kdbx 'Email/Bänk, main'
printf 'kdbx-pw\ncrème\n' | kx add -q -p db.kdbx 'Café'
printf 'kdbx-pw\nm41l\n' | kx add -q -p -u mailuser --url https://mail.example.org:8443/login db.kdbx '/'
printf 'kdbx-pw\n' | kx export -q -f csv db.kdbx > db.csv
printf 'kdbx-pw\n' | kx export -q -f xml db.kdbx > db.xml
head -1 db.csv | grep -q '^"Group","Title","Username","Password"' || fail "unexpected CSV header: $(head -1 db.csv)"

# Both exports import into safes, with the same entries.
expected=$(printf '%s\n' $'mail.example.org\tmailuser' $'Café\t' $'Bänk, main\tjdoe' | sort)
for format in csv xml; do
  echo pw | qb create "user$format" >/dev/null
  echo pw | qb import "user$format" "db.$format" > "summary.$format" || fail "import of db.$format"
  grep -q '^3 new entries imported\.$' "summary.$format" || fail "db.$format: $(cat "summary.$format")"
  grep -q '1 group path, 2 URLs, 1 note' "summary.$format" || fail "db.$format left behind: $(cat "summary.$format")"
  listed=$(echo pw | qb list "user$format" | cut -f2- | sort)
  [ "$listed" = "$expected" ] || fail "db.$format imported as: $listed"
  index=$(echo pw | qb list "user$format" | grep -n 'Bänk' | cut -d: -f1)
  echo pw | qb show "user$format" "$index" | grep -qx 'Password: say "hi", ok' || fail "db.$format: password"
done

# The other way: the safe as KeePass XML into a new KeePassXC database.
echo pw | qb export --format keepass-xml userxml safe.xml 2>/dev/null
[ "$(stat -c %a safe.xml)" = 600 ] || fail "export mode $(stat -c %a safe.xml)"
printf 'new-pw\nnew-pw\n' | kx import -q -p -t 100 safe.xml back.kdbx || fail "keepassxc-cli import: $(tail -3 keepassxc.log)"
titles=$(printf 'new-pw\n' | kx ls -q -R -f back.kdbx | sort)
[ "$titles" = "$(printf '%s\n' 'Bänk, main' 'Café' 'mail.example.org' | sort)" ] || fail "KeePassXC holds: $titles"
shown=$(printf 'new-pw\n' | kx show -q -s back.kdbx 'Bänk, main')
grep -qx 'UserName: jdoe' <<<"$shown" || fail "user name: $shown"
grep -qx 'Password: say "hi", ok' <<<"$shown" || fail "password: $shown"
shown=$(printf 'new-pw\n' | kx show -q -s back.kdbx 'Café')
grep -qx 'Password: crème' <<<"$shown" || fail "password: $shown"
grep -qx 'UserName: ' <<<"$shown" || fail "empty user name: $shown"
echo "keepassxc-cli $(keepassxc-cli --version) round trip passed"
