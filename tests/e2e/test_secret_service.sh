#!/usr/bin/env bash
# The Secret Service on the test's private session bus, with real clients.
# The name is Quillbox's from start-up, before the log-in, and a lookup
# while locked gets its secret once the user logs in; only entries tagged
# "Secret Service" are items. secret-tool stores, looks up, searches
# and clears, and what it stored is an entry quillbox-cli reads back;
# python3-secretstorage (a DH session) creates, searches, reads, changes,
# deletes and sees the lock; bad input changes nothing. Then the
# confirmation: a change to an item another client made is asked about and
# Deny leaves the safe as it was; Deny of a read is an error to the client;
# a client whose connection was forked away from the process the bus names
# is not taken for that process; one client cannot fill the questions; an
# imported grant is no grant; Allow Always is not asked again and changes
# nothing in the safe. Last, gnome-keyring holds the name first: Quillbox
# waits, quillbox-cli says who serves, and Quillbox takes the name when
# gnome-keyring leaves.
. "$(dirname "$0")/harness.sh"
command -v secret-tool >/dev/null && command -v gnome-keyring-daemon >/dev/null || {
  echo "secret-tool or gnome-keyring-daemon missing (scripts/setup installs them)"
  exit 77
}
qb_init
qb_install quillbox-cli
printf 'pw\n' | qb_cli create alice
printf 'pw\ns3cr3t\n' | qb_cli add alice Bank jdoe
printf 'pw\nserved-pw\n' | qb_cli add alice Served jdoe --tag "Secret Service"
# An imported entry whose file names a program allowed to read it.
cat >"$QB_ROOT/granted.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<KeePassFile><Root><Group><Name>Root</Name><Entry>
<UUID>aW1wb3J0ZWQwMDAwMDAwMA==</UUID><Tags>Secret Service</Tags>
<String><Key>Title</Key><Value>Imported</Value></String>
<String><Key>Password</Key><Value>imported-pw</Value></String>
<String><Key>application</Key><Value>imported</Value></String>
<String><Key>Secret Service Access</Key><Value>/usr/bin/secret-tool</Value></String>
</Entry></Group></Root></KeePassFile>
XML
printf 'pw\n' | qb_cli import alice "$QB_ROOT/granted.xml" >/dev/null || qb_fail "import"
client() { /usr/bin/python3 "$QB_E2E_DIR/secret_service_client.py" "$@"; }
owner_line() { qb_cli settings | grep '^Secret Service'; }
secrets_owned() {
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner org.freedesktop.secrets 2>/dev/null | grep -q true
}
secrets_free() { ! secrets_owned; }
log_in() {
  local login
  login=$(qb_wait_window "Enter Password")
  # The name is offered; the focus is on the password.
  qb_type "$login" "pw"
  qb_key "$login" Return
  qb_wait_no_window "Enter Password"
}
quit() {
  qb_key "$(qb_wait_window "$QB_TITLE_MAIN")" alt+f x
  qb_wait_exit "$QB_PID"
  qb_assert_eq "$QB_STATUS" 0 "exit status"
}
# The process ended or the window closed.
qb_process_gone_or_window_gone() { qb_process_gone "$1" || ! xdotool getwindowname "$2" >/dev/null 2>&1; }
entry_index() { printf 'pw\n' | qb_cli list alice | awk -F'\t' -v d="$1" '$2 == d { print $1 }'; }

qb_assert_eq "$(owner_line)" "Secret Service (org.freedesktop.secrets) served by: nobody" "before any start"
qb_set_setting_int Secret_Service 1 Secret_Service_Confirm 0
printf '"Last_Username"="alice"\n' >>"$(qb_user_hive)"

# --- Served, without confirmation ---
qb_start
# Before the log-in: otherwise the bus would start another provider for the first client.
qb_wait_for secrets_owned || qb_fail "Quillbox did not take org.freedesktop.secrets at start-up"
qb_wait_window "Enter Password" >/dev/null
client foreign_prompt || qb_fail "a prompt answered another client"
# A lookup before the log-in waits for it, then gets the secret.
secret-tool lookup Title Served UserName jdoe >"$QB_ROOT/first-lookup.out" &
looker=$!
log_in
wait "$looker" || qb_fail "a lookup before the log-in found nothing"
qb_assert_eq "$(cat "$QB_ROOT/first-lookup.out")" "served-pw" "a lookup before the log-in"
qb_assert_eq "$(owner_line)" \
  "Secret Service (org.freedesktop.secrets) served by: $QB_INSTALL/quillbox (process $QB_PID)" "while serving"

printf 'token-1' | secret-tool store --label="Git token" service git user jdoe || qb_fail "store"
qb_assert_eq "$(secret-tool lookup service git user jdoe)" "token-1" "lookup"
printf 'token-2' | secret-tool store --label="Git token" service git user jdoe || qb_fail "store again"
qb_assert_eq "$(secret-tool lookup service git user jdoe)" "token-2" "lookup after the replacing store"
found=$(secret-tool search --all service git 2>&1)
qb_assert_eq "$(grep -c '^label = Git token$' <<<"$found")" "1" "one item after two stores: $found"
grep -qx 'secret = token-2' <<<"$found" || qb_fail "search --all shows no secret: $found"
# Only the entries the user tagged are items.
qb_assert_eq "$(secret-tool lookup Title Served UserName jdoe)" "served-pw" "a tagged entry made by quillbox-cli"
qb_assert_eq "$(secret-tool lookup Title Bank UserName jdoe)" "" "an untagged entry"
client listing || qb_fail "items other than the tagged entries"
# A store with Bank's attributes cannot reach it: a new item comes instead.
printf 'program-pw' | secret-tool store --label="Some app" UserName jdoe || qb_fail "store beside Bank"
shown=$(printf 'pw\n' | qb_cli show alice "$(entry_index Bank)")
grep -qx 'Password: s3cr3t' <<<"$shown" || qb_fail "a client's store changed Bank: $shown"

index=$(entry_index "Git token")
[ -n "$index" ] || qb_fail "no entry \"Git token\" in the safe"
shown=$(printf 'pw\n' | qb_cli show alice "$index")
grep -qx 'Password: token-2' <<<"$shown" || qb_fail "quillbox-cli shows another password: $shown"
grep -q 'Secret Service' <<<"$shown" || qb_fail "the entry is not tagged: $shown"
grep -q 'service' <<<"$shown" || qb_fail "the attributes are not custom fields: $shown"

secret-tool clear service git user jdoe || qb_fail "clear"
secret-tool lookup service git user jdoe >/dev/null && qb_fail "a cleared secret still looks up"
[ -z "$(entry_index "Git token")" ] || qb_fail "the cleared entry is still in the safe"

client lifecycle || qb_fail "secretstorage: create, search, get, set, delete"
client signals || qb_fail "the collection's item signals"
client keep || qb_fail "secretstorage: keep"
cp "$QB_INSTALL/alice.SAFE" "$QB_ROOT/before-bad-input.SAFE"
client bad_input || qb_fail "secretstorage: bad input"
cmp -s "$QB_ROOT/before-bad-input.SAFE" "$QB_INSTALL/alice.SAFE" || qb_fail "bad input changed the safe"
kill -0 "$QB_PID" || qb_fail "bad input ended Quillbox"

client lock || qb_fail "secretstorage: lock"
# Unlock's prompt is the window's log-in: cancelled, the prompt is dismissed;
# logged in, it completes.
qb_key "$(qb_wait_window "Enter Password")" Escape
qb_wait_no_window "Enter Password"
client unlock_dismissed &
unlocker=$!
qb_key "$(qb_wait_window "Enter Password")" Escape
wait "$unlocker" || qb_fail "a cancelled log-in did not dismiss the prompt"
client unlock &
unlocker=$!
log_in
wait "$unlocker" || qb_fail "the log-in did not complete the prompt"
client is_unlocked || qb_fail "unlocked by the window's log-in"
client read_kept || qb_fail "secretstorage: read after the log-in"
# A lookup while locked brings the log-in up; the secret follows it.
client lock || qb_fail "secretstorage: lock again"
qb_key "$(qb_wait_window "Enter Password")" Escape
qb_wait_no_window "Enter Password"
secret-tool lookup application keeper >"$QB_ROOT/locked-lookup.out" &
looker=$!
log_in
wait "$looker" || qb_fail "a lookup while locked found nothing after the log-in"
qb_assert_eq "$(cat "$QB_ROOT/locked-lookup.out")" "kept-secret" "a lookup while locked"
quit
qb_wait_for secrets_free || qb_fail "the name stayed after the exit"

# --- Confirmation ---
qb_set_setting_int Secret_Service_Confirm 1
qb_start
log_in
qb_wait_for secrets_owned || qb_fail "not served with confirmation on"
client get_secrets_locked || qb_fail "GetSecrets of a locked safe"
log_in
client plain_refused || qb_fail "a plain session with confirmation on"
timeout 60 /usr/bin/python3 "$QB_E2E_DIR/secret_service_client.py" own_changes || qb_fail "a client's changes to its own item"
qb_assert_eq "$(qb_count_windows "Secret Service")" "0" "questions about a client's own item"

# Another client's item: each change is asked about, and Deny changes nothing.
cp "$QB_INSTALL/alice.SAFE" "$QB_ROOT/before-changes.SAFE"
client change_expect_denied &
changer=$!
for change in rename delete; do
  box=$(qb_wait_window "Secret Service")
  qb_key "$box" alt+d
  qb_wait_for qb_process_gone_or_window_gone "$changer" "$box" || qb_fail "the $change question stayed"
done
wait "$changer" || qb_fail "Deny did not refuse the changes"
cmp -s "$QB_ROOT/before-changes.SAFE" "$QB_INSTALL/alice.SAFE" || qb_fail "denied changes changed the safe"

# The bus names a process that runs /usr/bin/sleep now; the forked child
# holds the connection. Allow Always is not offered for a program not known.
rm -f "$QB_ROOT/forked.out"
# Not through client(): $! must be the process that becomes sleep, or that
# sleep outlives the test and holds its output open for two minutes.
/usr/bin/python3 "$QB_E2E_DIR/secret_service_client.py" forked "$QB_ROOT/forked.out" &
sleeper=$!
QB_PIDS+=("$sleeper")
box=$(qb_wait_window "Secret Service")
qb_key "$box" alt+w
qb_key "$box" alt+d
qb_wait_for test -s "$QB_ROOT/forked.out" || qb_fail "the forked client did not finish"
qb_assert_eq "$(cat "$QB_ROOT/forked.out")" "org.freedesktop.DBus.Error.AccessDenied" "the forked client's read"
kill "$sleeper"
wait "$sleeper" 2>/dev/null || true
grants="$XDG_CONFIG_HOME/tarnwell/secret-service-grants"
! grep -q sleep "$grants" 2>/dev/null || qb_fail "a grant for the process the bus named: $(cat "$grants")"

# One client's waiting reads are bounded; another client is still asked.
rm -f "$QB_ROOT/limit.out"
client waiting_limit "$QB_ROOT/limit.out" &
limited=$!
box=$(qb_wait_window "Secret Service")
qb_wait_for test -s "$QB_ROOT/limit.out" || qb_fail "the ninth read was not refused"
qb_key "$box" alt+d
wait "$limited" || qb_fail "waiting reads per client"
qb_wait_no_window "Secret Service"

# A grant that came in an imported file is an ordinary field: still asked.
secret-tool lookup application imported >"$QB_ROOT/imported.out" &
reader=$!
box=$(qb_wait_window "Secret Service")
qb_key "$box" alt+d
wait "$reader" && qb_fail "an imported grant was honoured"
qb_assert_eq "$(cat "$QB_ROOT/imported.out")" "" "the imported entry's password"
qb_wait_no_window "Secret Service"
client read_kept_expect_denied &
reader=$!
box=$(qb_wait_window "Secret Service")
qb_key "$box" alt+d
wait "$reader" || qb_fail "Deny did not give the client an error"

# A client that goes away while asked about: the question goes with it.
secret-tool lookup application keeper >/dev/null &
reader=$!
qb_wait_window "Secret Service" >/dev/null
kill "$reader"
wait "$reader" 2>/dev/null || true
qb_wait_no_window "Secret Service"

cp "$QB_INSTALL/alice.SAFE" "$QB_ROOT/before-grant.SAFE"
listed=$(printf 'pw\n' | qb_cli list alice --long)
secret-tool lookup application keeper >"$QB_ROOT/lookup.out" &
reader=$!
box=$(qb_wait_window "Secret Service")
qb_key "$box" alt+w
wait "$reader" || qb_fail "the allowed lookup failed"
qb_assert_eq "$(cat "$QB_ROOT/lookup.out")" "kept-secret" "allowed lookup"
qb_wait_no_window "Secret Service"
# A grant is no edit: the entry's modified time, and the whole safe, stay.
cmp -s "$QB_ROOT/before-grant.SAFE" "$QB_INSTALL/alice.SAFE" || qb_fail "Allow Always changed the safe"
qb_assert_eq "$(printf 'pw\n' | qb_cli list alice --long)" "$listed" "the listing after Allow Always"
grep -q "	/usr/bin/secret-tool$" "$grants" || qb_fail "the grant was not kept: $(cat "$grants" 2>&1)"
# Remembered with the entry: no question this time.
qb_assert_eq "$(timeout 10 secret-tool lookup application keeper)" "kept-secret" "lookup allowed always"
qb_assert_eq "$(qb_count_windows "Secret Service")" "0" "questions after Allow Always"
# The menu turns it off, for good.
qb_menu "$(qb_wait_window "$QB_TITLE_MAIN")" alt+f 'Serve Entries Tagged "Secret Service" to Other Programs'
qb_wait_for secrets_free || qb_fail "still served after the menu turned it off"
# Read whole first: grep -q leaving early would cut the listing off (SIGPIPE).
settings=$(qb_cli settings)
grep -q '^Secret_Service  *0 (off)  *user$' <<<"$settings" || qb_fail "the setting was not stored: $settings"
quit
qb_set_setting_int Secret_Service 1

# --- gnome-keyring holds the name first ---
printf 'pw' | gnome-keyring-daemon --unlock --foreground --components=secrets >>"$QB_ROOT/keyring.log" 2>&1 &
keyring=$!
QB_PIDS+=("$keyring")
qb_wait_for secrets_owned || qb_fail "gnome-keyring-daemon did not take the name"
qb_start
log_in
qb_wait_window "$QB_TITLE_MAIN" >/dev/null
owner=$(owner_line)
grep -q "gnome-keyring-daemon (process [0-9]*)$" <<<"$owner" || qb_fail "quillbox-cli settings: $owner"
printf 'elsewhere' | secret-tool store --label="Keyring item" service other || qb_fail "store in gnome-keyring"
[ -z "$(entry_index "Keyring item")" ] || qb_fail "Quillbox served while gnome-keyring held the name"
# gnome-keyring leaves: Quillbox, waiting in the queue, takes the name.
kill "$keyring"
wait "$keyring" 2>/dev/null || true
served_by_quillbox() { [ "$(owner_line)" = "Secret Service (org.freedesktop.secrets) served by: $QB_INSTALL/quillbox (process $QB_PID)" ]; }
qb_wait_for served_by_quillbox || qb_fail "Quillbox did not take the name from the queue: $(owner_line)"
printf 'here' | secret-tool store --label="After keyring" service after || qb_fail "store after gnome-keyring left"
[ -n "$(entry_index "After keyring")" ] || qb_fail "the store after gnome-keyring left is not in the safe"
quit
qb_log "PASS"
