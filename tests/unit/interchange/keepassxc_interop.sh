#!/usr/bin/env bash
# The real keepassxc-cli and quillbox-cli, both ways: a KeePassXC database
# exported as CSV and XML imports into a safe, and a safe exported as KeePass
# XML imports into KeePassXC with every field intact.
# usage: keepassxc_interop.sh QUILLBOX_CLI
. "$(dirname "$0")/../keepassxc_sandbox.sh" "$1"

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
  # A new safe is strong: groups, URLs and notes all have a place.
  ! grep -q 'Left behind' "summary.$format" || fail "db.$format left behind: $(cat "summary.$format")"
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
# The group path, kept as a tag, is the group again.
[ "$titles" = "$(printf '%s\n' 'Email/' 'Email/Bänk, main' 'Café' 'mail.example.org' | sort)" ] ||
  fail "KeePassXC holds: $titles"
shown=$(printf 'new-pw\n' | kx show -q -s back.kdbx 'Email/Bänk, main')
grep -qx 'UserName: jdoe' <<<"$shown" || fail "user name: $shown"
grep -qx 'Password: say "hi", ok' <<<"$shown" || fail "password: $shown"
shown=$(printf 'new-pw\n' | kx show -q -s back.kdbx 'Café')
grep -qx 'Password: crème' <<<"$shown" || fail "password: $shown"
grep -qx 'UserName: ' <<<"$shown" || fail "empty user name: $shown"

# Every field KeePassXC keeps that an entry has a place for, there and back:
# a database made by KeePassXC from XML (its command line cannot set codes or
# custom fields), exported by KeePassXC, imported into a safe, exported as
# KeePass XML and imported by KeePassXC again.
secret=JBSWY3DPEHPK3PXPJBSWY3DP
cat > seed.xml <<XML
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
						<String><Key>Title</Key><Value>Gateway</Value></String>
						<String><Key>UserName</Key><Value>jdoe</Value></String>
						<String><Key>Password</Key><Value ProtectInMemory="True">v9n, "x"</Value></String>
						<String><Key>URL</Key><Value>https://vpn.example.com/login?a=1&amp;b=2</Value></String>
						<String><Key>Notes</Key><Value>Recovery codes:
1111 2222
3333 4444</Value></String>
						<String><Key>otp</Key><Value ProtectInMemory="True">otpauth://totp/Gateway:jdoe?secret=$secret&amp;period=30&amp;digits=8&amp;algorithm=SHA256&amp;issuer=Gateway</Value></String>
						<String><Key>PIN</Key><Value ProtectInMemory="True">9876</Value></String>
						<String><Key>Site</Key><Value>Main Street</Value></String>
					</Entry>
				</Group>
			</Group>
		</Group>
	</Root>
</KeePassFile>
XML
printf 'kx-pw\nkx-pw\n' | kx import -q -p -t 100 seed.xml full.kdbx || fail "keepassxc-cli import of the seed: $(tail -3 keepassxc.log)"
printf 'kx-pw\n' | kx export -q -f xml full.kdbx > full.xml
echo pw | qb create full >/dev/null
echo pw | qb import full full.xml > summary.full || fail "import of full.xml: $(cat summary.full)"
grep -q '^1 new entry imported\.$' summary.full || fail "full.xml: $(cat summary.full)"
! grep -q 'Left behind' summary.full || fail "full.xml left behind: $(cat summary.full)"
echo pw | qb export --format keepass-xml full full-out.xml 2>/dev/null
printf 'kx-pw\nkx-pw\n' | kx import -q -p -t 100 full-out.xml full-back.kdbx ||
  fail "keepassxc-cli import of the export: $(tail -3 keepassxc.log)"
# The group path comes back as groups, the entry's own tags as tags.
printf 'kx-pw\n' | kx ls -q -R -f full-back.kdbx | grep -qx 'Work/VPN/Gateway' ||
  fail "groups: $(printf 'kx-pw\n' | kx ls -q -R -f full-back.kdbx)"
# The code's URI comes back in the canonical form (parameters reordered,
# defaults left out); the code it makes is compared below.
attributes=(-a Title -a UserName -a Password -a URL -a Notes -a PIN -a Site -a Tags)
before=$(printf 'kx-pw\n' | kx show -q -s "${attributes[@]}" full.kdbx Work/VPN/Gateway)
after=$(printf 'kx-pw\n' | kx show -q -s "${attributes[@]}" full-back.kdbx Work/VPN/Gateway)
[ -n "$before" ] || fail "nothing shown from the seed database"
[ "$after" = "$before" ] || fail "fields changed on the way: before
$before
after
$after"
grep -qx '3333 4444' <<<"$after" || fail "notes: $after"
grep -qx 'Main Street' <<<"$after" || fail "custom field: $after"
otp=$(printf 'kx-pw\n' | kx show -q -s -a otp full-back.kdbx Work/VPN/Gateway)
grep -q "secret=$secret" <<<"$otp" || fail "otp: $otp"
# The code KeePassXC makes from what came back is the code of the secret,
# as oathtool makes it at the same moment (either side of a period's end).
for attempt in 1 2 3; do
  expected_before=$(oathtool --totp=SHA256 -d 8 -s 30 -b "$secret")
  code=$(printf 'kx-pw\n' | kx show -q -t full-back.kdbx Work/VPN/Gateway)
  expected_after=$(oathtool --totp=SHA256 -d 8 -s 30 -b "$secret")
  [ "$expected_before" = "$expected_after" ] && break
done
[ "$code" = "$expected_after" ] || fail "TOTP code $code, oathtool says $expected_after"
echo "keepassxc-cli $(keepassxc-cli --version) round trip passed"
