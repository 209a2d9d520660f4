#!/usr/bin/env bash
# KDBX files both ways between Quillbox and the real KeePass-family
# programs: files keepassxc-cli (KDBX 3.1, AES-KDF) and python3-pykeepass
# (KDBX 4, Argon2d) make, and keepassxc-cli rewrites, import with every
# field keepassxc-cli shows and exports; files Quillbox writes open in
# keepassxc-cli with every field intact. With and without key files.
# usage: kdbx_peers.sh KDBX_PROBE (tests/unit/interchange/kdbx_probe.cpp)
set -euo pipefail

probe=$1
python=/usr/bin/python3
if ! command -v keepassxc-cli >/dev/null || ! command -v oathtool >/dev/null ||
  ! "$python" -c 'import pykeepass' 2>/dev/null; then
  echo "SKIP: keepassxc-cli, oathtool or python3-pykeepass is not installed (scripts/setup installs them)"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# A private home and no display: keepassxc-cli keeps its settings there and
# needs no window system.
mkdir home tmp
export HOME=$work/home TMPDIR=$work/tmp XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_CACHE_HOME=$work/home/.cache XDG_RUNTIME_DIR=$work/tmp QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
unset DBUS_SESSION_BUS_ADDRESS DISPLAY WAYLAND_DISPLAY

fail() { echo "FAIL: $*" >&2; exit 1; }
kx() { keepassxc-cli "$@" 2>>keepassxc.log; }
secret=JBSWY3DPEHPK3PXPJBSWY3DP

# The key-file options of keepassxc-cli (-k) and of the probe for KEY, if any.
key_options() {
  kx_key=() our_key=()
  if [ -n "$1" ]; then kx_key=(-k "$1") our_key=(--key-file "$1"); fi
}

# version FILE: the KDBX version its header names, as major.minor.
version() { od -An -tu2 -j8 -N4 "$1" | awk '{print $2 "." $1}'; }

# same_entries FILE PASSWORD [KEY]: FILE as Quillbox imports it holds the
# entries keepassxc-cli lists, recycled ones left out, each with every field
# keepassxc-cli shows (codes compared as the codes they make), and every
# field keepassxc-cli exports as XML (times, history, UUIDs).
same_entries() {
  local file=$1 pw=$2
  key_options "${3:-}"
  local theirs ours path paths
  theirs=$(printf '%s\n' "$pw" | kx ls -q -R -f "${kx_key[@]}" "$file" |
    grep -v -e '/$' -e '/\[empty\]$' -e '^Recycle Bin/' | sort)
  paths=$(printf '%s\n' "$pw" | "$probe" paths "$file" "${our_key[@]}") || fail "$file: $paths"
  [ "$paths" = "$theirs" ] || fail "$file: Quillbox reads
$paths
keepassxc-cli lists
$theirs"
  while IFS= read -r path; do
    theirs=$(printf '%s\n' "$pw" | kx show -q -s --all "${kx_key[@]}" "$file" "$path")
    ours=$(printf '%s\n' "$pw" | "$probe" show "$file" "$path" "${our_key[@]}")
    local code_field
    code_field=$(grep -m1 '^otp: ' <<<"$theirs" || grep -m1 '^TimeOtp-Secret-Base32: ' <<<"$theirs" || true)
    # A code is compared by the code it makes: Quillbox keeps one URI in
    # its canonical form where KeePass keeps fields.
    theirs=$(grep -v -e '^otp: ' -e '^TimeOtp-' <<<"$theirs")
    ours=$(grep -v -e '^otp: ' <<<"$ours")
    [ "$ours" = "$theirs" ] || fail "$file, $path: Quillbox reads
$ours
keepassxc-cli shows
$theirs"
    [ -z "$code_field" ] || same_code "$file" "$pw" "$path" "$code_field"
  done <<<"$paths"
  printf '%s\n' "$pw" | kx export -q -f xml "${kx_key[@]}" "$file" >"$file.xml"
  theirs=$("$probe" dump "$file.xml") || fail "$file.xml: $theirs"
  ours=$(printf '%s\n' "$pw" | "$probe" dump "$file" "${our_key[@]}")
  [ "$ours" = "$theirs" ] || fail "$file: the database and its XML export differ: $(diff <(echo "$ours") <(echo "$theirs"))"
}

# same_code FILE PASSWORD PATH FIELD: the code Quillbox makes from the
# entry is the one keepassxc-cli makes (or, for KeePass's TimeOtp fields
# alone, which keepassxc-cli 2.7 cannot use, oathtool's for the defaults
# they leave), either side of a period's end.
same_code() {
  local file=$1 pw=$2 path=$3 field=$4 ours theirs attempt
  for attempt in 1 2 3; do
    if [[ $field == otp:* ]]; then
      theirs=$(printf '%s\n' "$pw" | kx show -q -t "${kx_key[@]}" "$file" "$path")
    else
      theirs=$(oathtool --totp -b "${field#*: }")
    fi
    ours=$(printf '%s\n' "$pw" | "$probe" code "$file" "$path" "${our_key[@]}")
    [ "$ours" = "$theirs" ] && return 0
    sleep 1
  done
  fail "$file, $path: Quillbox's code $ours, the other's $theirs"
}

# --- keepassxc-cli's own files: KDBX 3.1, AES-KDF (its fastest setting) ---
# Entries made on its command line, one deleted into the recycle bin.
make_kx_database() {
  local file=$1 key=$2
  local set_key=() use_key=()
  if [ -n "$key" ]; then set_key=(--set-key-file "$key") use_key=(-k "$key"); fi
  printf 'kdbx-pw\nkdbx-pw\n' | kx db-create -q -p -t 100 "${set_key[@]}" "$file"
  printf 'kdbx-pw\n' | kx mkdir -q "${use_key[@]}" "$file" Email
  printf 'kdbx-pw\nsay "hi", ok\n' | kx add -q -p "${use_key[@]}" -u jdoe --url https://bank.example.com/login \
    --notes $'line one\nline two' "$file" 'Email/Bänk, main'
  printf 'kdbx-pw\ncrème\n' | kx add -q -p "${use_key[@]}" "$file" 'Café'
  printf 'kdbx-pw\nm41l\n' | kx add -q -p "${use_key[@]}" -u mailuser --url https://mail.example.org:8443/login \
    "$file" 'Mail'
  printf 'kdbx-pw\ngone\n' | kx add -q -p "${use_key[@]}" "$file" 'Old account'
  [ "$(version "$file")" = 3.1 ] || fail "keepassxc-cli wrote KDBX $(version "$file")"
  # A deletion keeps the entry's former group, which only KDBX 4.1 holds:
  # the file becomes 4.1, still under AES-KDF.
  printf 'kdbx-pw\n' | kx rm -q "${use_key[@]}" "$file" 'Old account'
  [ "$(version "$file")" = 4.1 ] || fail "keepassxc-cli rewrote KDBX $(version "$file")"
}
make_kx_database made.kdbx ""
make_kx_database made-key.kdbx made.key
[ -s made.key ] || fail "keepassxc-cli made no key file"
listed=$(printf 'kdbx-pw\n' | kx ls -q -R -f made.kdbx)
grep -qx 'Recycle Bin/Old account' <<<"$listed" || fail "nothing recycled: $listed"
same_entries made.kdbx kdbx-pw
same_entries made-key.kdbx kdbx-pw made.key

# A database keepassxc-cli imports from KeePass XML: codes (KeePassXC's
# otp and KeePass's TimeOtp fields), custom fields, tags, times, history.
cat >seed.xml <<XML
<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<KeePassFile>
	<Root>
		<Group>
			<UUID>cm9vdGdyb3VwMDAwMDAwMA==</UUID>
			<Name>Root</Name>
			<Group>
				<UUID>d29yazAwMDAwMDAwMDAwMA==</UUID>
				<Name>Work</Name>
				<Group>
					<UUID>dnBuMDAwMDAwMDAwMDAwMA==</UUID>
					<Name>VPN</Name>
					<Entry>
						<UUID>dnBuZW50cnkwMDAwMDAwMA==</UUID>
						<Tags>remote;office</Tags>
						<Times>
							<CreationTime>2024-01-02T03:04:05Z</CreationTime>
							<LastModificationTime>2025-02-03T04:05:06Z</LastModificationTime>
						</Times>
						<String><Key>Title</Key><Value>Gateway</Value></String>
						<String><Key>UserName</Key><Value>jdoe</Value></String>
						<String><Key>Password</Key><Value ProtectInMemory="True">v9n, "x"</Value></String>
						<String><Key>URL</Key><Value>https://vpn.example.com/login?a=1&amp;b=2</Value></String>
						<String><Key>Notes</Key><Value>Recovery codes:
1111 2222</Value></String>
						<String><Key>otp</Key><Value ProtectInMemory="True">otpauth://totp/Gateway:jdoe?secret=$secret&amp;period=30&amp;digits=8&amp;algorithm=SHA256&amp;issuer=Gateway</Value></String>
						<String><Key>PIN</Key><Value ProtectInMemory="True">9876</Value></String>
						<String><Key>Site</Key><Value>Main Street</Value></String>
						<History>
							<Entry>
								<UUID>dnBuZW50cnkwMDAwMDAwMA==</UUID>
								<Times><LastModificationTime>2024-01-02T03:04:05Z</LastModificationTime></Times>
								<String><Key>Title</Key><Value>Gateway</Value></String>
								<String><Key>Password</Key><Value ProtectInMemory="True">older</Value></String>
								<String><Key>PIN</Key><Value ProtectInMemory="True">0000</Value></String>
							</Entry>
							<Entry>
								<UUID>dnBuZW50cnkwMDAwMDAwMA==</UUID>
								<Times><LastModificationTime>2024-06-01T00:00:00Z</LastModificationTime></Times>
								<String><Key>Title</Key><Value>Gateway</Value></String>
								<String><Key>Password</Key><Value ProtectInMemory="True">old</Value></String>
							</Entry>
						</History>
					</Entry>
				</Group>
			</Group>
			<Entry>
				<UUID>dGltZW90cDAwMDAwMDAwMA==</UUID>
				<String><Key>Title</Key><Value>Bank</Value></String>
				<String><Key>Password</Key><Value ProtectInMemory="True">b4nk</Value></String>
				<String><Key>TimeOtp-Secret-Base32</Key><Value ProtectInMemory="True">$secret</Value></String>
			</Entry>
		</Group>
	</Root>
</KeePassFile>
XML
printf 'kx-pw\nkx-pw\n' | kx import -q -p -t 100 seed.xml seeded.kdbx || fail "import: $(tail -3 keepassxc.log)"
printf 'kx-pw\nkx-pw\n' | kx import -q -p -t 100 --set-key-file seeded.key seed.xml seeded-key.kdbx ||
  fail "import with a key file: $(tail -3 keepassxc.log)"
[ "$(version seeded.kdbx)" = 3.1 ] || fail "keepassxc-cli imported into KDBX $(version seeded.kdbx)"
same_entries seeded.kdbx kx-pw
same_entries seeded-key.kdbx kx-pw seeded.key
# What keepassxc-cli shows cannot tell: the history came across.
dumped=$(printf 'kx-pw\n' | "$probe" dump seeded.kdbx)
grep -qx 'History: older replaced 2024-06-01T00:00:00Z' <<<"$dumped" || fail "history: $dumped"

# --- python3-pykeepass: KDBX 4, Argon2d and AES-256 as KeePassXC's window
# makes new databases (at a cost a test can pay), a KeePass 2.0 XML key file.
"$python" - <<'PY'
import hashlib
from pykeepass import create_database

key = bytes(range(32))
digest = hashlib.sha256(key).digest()[:4].hex().upper()
data = " ".join(key.hex().upper()[i:i + 8] for i in range(0, 64, 8))
with open("py.keyx", "w") as f:
    f.write('<?xml version="1.0" encoding="utf-8"?>\n<KeyFile>\n\t<Meta>\n\t\t<Version>2.0</Version>\n'
            '\t</Meta>\n\t<Key>\n\t\t<Data Hash="%s">%s</Data>\n\t</Key>\n</KeyFile>\n' % (digest, data))

kp = create_database("py.kdbx", password="py-pw")
kdf = kp.kdbx.header.value.dynamic_header.kdf_parameters.data.dict
kdf["I"].value = 2
kdf["M"].value = 1 << 20
del kp.kdbx.header["data"]  # the header is built again from its values
work = kp.add_group(kp.root_group, "Work")
vpn = kp.add_group(work, "VPN")
gateway = kp.add_entry(vpn, "Gateway", "jdoe", "older", url="https://vpn.example.com/login?a=1&b=2",
                       notes="Recovery codes:\n1111 2222", tags=["remote", "office"],
                       otp="otpauth://totp/Gateway:jdoe?secret=JBSWY3DPEHPK3PXPJBSWY3DP&digits=8")
gateway.set_custom_property("PIN", "9876")
gateway._element.find("String[Key='PIN']/Value").set("Protected", "True")
gateway.set_custom_property("Site", "Main Street")
gateway.save_history()
gateway.password = 'v9n, "x" <&>'
gateway.touch(modify=True)
attachment = kp.add_binary(b"scanned page")
gateway.add_attachment(attachment, "scan.txt")
kp.add_entry(kp.root_group, "Café", "", "crème brûlée")
kp.trash_entry(kp.add_entry(kp.root_group, "Old account", "old", "gone"))
kp.save()
kp.keyfile = "py.keyx"
kp.save("py-key.kdbx")
PY
[ "$(version py.kdbx)" = 4.0 ] || fail "pykeepass wrote KDBX $(version py.kdbx)"
info=$(printf 'py-pw\n' | kx db-info -q py.kdbx)
grep -qx 'KDF: Argon2d (2 rounds, 1024 KB)' <<<"$info" || fail "pykeepass's KDF: $info"
same_entries py.kdbx py-pw
same_entries py-key.kdbx py-pw py.keyx
summary=$(printf 'py-pw\n' | "$probe" summary py.kdbx)
grep -qx '1 entry in the recycle bin, skipped.' <<<"$summary" || fail "recycle bin: $summary"
grep -qx 'Left behind (the safe has no place for them): 1 attachment.' <<<"$summary" || fail "attachment: $summary"

# keepassxc-cli's add rewrites the file through KeePassXC's own KDBX 4 writer.
printf 'py-pw\nn3w\n' | kx add -q -p -u added --url https://added.example.com/ py.kdbx 'Work/Added'
printf 'py-pw\nn3w\n' | kx add -q -p -k py.keyx -u added py-key.kdbx 'Added'
[ "$(version py.kdbx)" = 4.0 ] || fail "keepassxc-cli rewrote KDBX $(version py.kdbx)"
same_entries py.kdbx py-pw
same_entries py-key.kdbx py-pw py.keyx

# --- Quillbox's own files in keepassxc-cli, and back in Quillbox ---
head -c 100 /dev/urandom >quillbox.key
for key in "" quillbox.key; do
  key_options "$key"
  printf 'q-pw\n' | "$probe" write quillbox.kdbx "${our_key[@]}"
  [ "$(version quillbox.kdbx)" = 4.0 ] || fail "Quillbox wrote KDBX $(version quillbox.kdbx)"
  listed=$(printf 'q-pw\n' | kx ls -q -R -f "${kx_key[@]}" quillbox.kdbx | sort) ||
    fail "keepassxc-cli cannot open Quillbox's file (key ${key:-none}): $(tail -3 keepassxc.log)"
  [ "$listed" = "$(printf '%s\n' 'Café' 'Email/' 'Email/Bänk, main' 'Work/' 'Work/VPN/' 'Work/VPN/Gateway' | sort)" ] ||
    fail "keepassxc-cli lists: $listed"
  shown=$(printf 'q-pw\n' | kx show -q -s -a Title -a UserName -a Password -a URL -a Notes -a PIN -a Site -a Tags \
    "${kx_key[@]}" quillbox.kdbx Work/VPN/Gateway)
  [ "$shown" = "$(printf '%s\n' Gateway jdoe 'v9n, "x" <&>' 'https://vpn.example.com/login?a=1&b=2' \
    'Recovery codes:' '1111 2222' '3333 4444' 9876 'Main Street' 'office,remote')" ] ||
    fail "keepassxc-cli shows: $shown"
  info=$(printf 'q-pw\n' | kx db-info -q "${kx_key[@]}" quillbox.kdbx)
  for line in 'Name: Quillbox' 'KDF: Argon2id (2 rounds, 1024 KB)' 'Recycle bin is not enabled.' \
    'Number of entries: 3'; do
    grep -qxF "$line" <<<"$info" || fail "db-info lacks '$line': $info"
  done
  same_entries quillbox.kdbx q-pw "$key"
  # The code keepassxc-cli makes is the secret's, as oathtool makes it.
  for attempt in 1 2 3; do
    expected=$(oathtool --totp=SHA256 -d 8 -b "$secret")
    code=$(printf 'q-pw\n' | kx show -q -t "${kx_key[@]}" quillbox.kdbx Work/VPN/Gateway)
    [ "$code" = "$expected" ] && break
    sleep 1
  done
  [ "$code" = "$expected" ] || fail "keepassxc-cli's code $code, oathtool's $expected"
  # Read back by Quillbox, every field as it was written.
  back=$(printf 'q-pw\n' | "$probe" dump quillbox.kdbx "${our_key[@]}" | grep -v '^Uuid: ')
  written=$("$probe" dump-written | grep -v '^Uuid: ')
  [ "$back" = "$written" ] || fail "read back: $(diff <(echo "$written") <(echo "$back"))"
  # A wrong key opens nothing.
  ! printf 'wrong\n' | "$probe" paths quillbox.kdbx "${our_key[@]}" 2>wrong.err || fail "a wrong password opened it"
  grep -q "the database's password or key file is wrong" wrong.err || fail "wrong password: $(cat wrong.err)"
done
echo "keepassxc-cli $(keepassxc-cli --version) and pykeepass files passed both ways"
