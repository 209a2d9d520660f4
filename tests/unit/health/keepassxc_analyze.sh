#!/usr/bin/env bash
# The real keepassxc-cli and quillbox-cli on the same entries and the same
# breach list: `keepassxc-cli analyze --hibp` and `quillbox-cli report --hibp`
# flag the same entries with the same counts. Then the report's exit status
# and its bad-input messages, the table still printed.
# usage: keepassxc_analyze.sh QUILLBOX_CLI
. "$(dirname "$0")/../keepassxc_sandbox.sh" "$1"
sha1() { printf %s "$1" | sha1sum | cut -c1-40 | tr a-f A-F; }

# Title, user name, password. Two share a leaked password, one is leaked
# once, one has a comma and non-ASCII letters, one is in no list.
entries=(
  'Mail' 'jdoe' 'password'
  'Forum' 'jd' 'password'
  'Bänk, main' 'j.doe' 'crème brûlée 42'
  'Router' 'admin' 'Correct-Horse-9'
  'Vault' 'me' 'zzUnique#98765xyzQ-Hw4!'
)
printf 'kdbx-pw\nkdbx-pw\n' | kx db-create -q -p -t 100 db.kdbx
echo pw | qb create alice >/dev/null
for ((i = 0; i < ${#entries[@]}; i += 3)); do
  title=${entries[i]} user=${entries[i + 1]} password=${entries[i + 2]}
  printf 'kdbx-pw\n%s\n' "$password" | kx add -q -p -u "$user" db.kdbx "$title"
  printf 'pw\n%s\n' "$password" | qb add alice "$title" "$user" >/dev/null
done

# The breach list: the chosen passwords among others, sorted, with counts.
{
  printf '%s:%s\n' "$(sha1 password)" 9659365 "$(sha1 'crème brûlée 42')" 1 "$(sha1 Correct-Horse-9)" 318
  for i in $(seq 1 500); do printf '%s:%s\n' "$(sha1 "other $i")" "$i"; done
} | LC_ALL=C sort > pwned.txt

printf 'kdbx-pw\n' | kx analyze -q --hibp pwned.txt db.kdbx > analyze.txt || fail "keepassxc-cli analyze: $(tail -3 keepassxc.log)"
sed -n "s/^Password for '\(.*\)' has been leaked \([0-9]*\) times\{0,1\}!$/\1\t\2/p" analyze.txt | sort > expected.txt
[ "$(wc -l < expected.txt)" = 4 ] || fail "keepassxc-cli analyze said: $(cat analyze.txt)"

set +e
echo pw | qb report alice --hibp pwned.txt > report.txt 2> report.err
status=$?
set -e
[ "$status" = 1 ] || fail "report with breached entries ended with $status: $(cat report.err)"
[ -s report.err ] && fail "report said: $(cat report.err)"
head -1 report.txt | grep -qx $'Title\tUser name\tStrength\tReused\tAge (days)\tBreached' || fail "header: $(head -1 report.txt)"
awk -F'\t' 'NR > 1 && $6 > 0 { print $1 "\t" $6 }' report.txt | sort > flagged.txt
diff expected.txt flagged.txt || fail "keepassxc-cli and quillbox-cli flag different entries"
# Worst first: the most-leaked password heads the table.
sed -n 2p report.txt | grep -q $'\t9659365$' || fail "first row: $(sed -n 2p report.txt)"
grep -q $'^Mail\tjdoe\tbad (0.0 bits)\t1\t0\t9659365$' report.txt || fail "Mail row: $(grep ^Mail report.txt)"

# CSV: the same rows, quoted text.
echo pw | qb report alice --hibp pwned.txt --format csv > report.csv || true
grep -qx '"Bänk, main","j.doe","[a-z]*",[0-9.]*,0,0,1' report.csv || fail "CSV: $(cat report.csv)"

# Bad breach lists: a message naming the file and the table all the same.
LC_ALL=C sort -t: -k2 -n pwned.txt > by-count.txt
for list in by-count.txt "$work/home" missing.txt; do
  set +e
  echo pw | qb report alice --hibp "$list" > bad.txt 2> bad.err
  status=$?
  set -e
  [ "$status" = 1 ] || fail "$list: status $status"
  grep -q "The breach list .*$list" bad.err || fail "$list: $(cat bad.err)"
  [ "$(wc -l < bad.txt)" = 6 ] || fail "$list: table $(cat bad.txt)"
  awk -F'\t' 'NR > 1 && $6 != "-" { exit 1 }' bad.txt || fail "$list: counts shown: $(cat bad.txt)"
done
grep -q 'is not sorted' <(echo pw | qb report alice --hibp by-count.txt 2>&1 >/dev/null) || fail "unsorted not told"

# Nothing to attend to: status 0.
echo pw | qb create bob >/dev/null
printf 'pw\n%s\n' 'vivid-Quartz-harbor-71-Mosaic!' | qb add bob Site me >/dev/null
echo pw | qb report bob --hibp pwned.txt > good.txt || fail "a healthy safe's report failed: $(cat good.txt)"
echo "PASS"
