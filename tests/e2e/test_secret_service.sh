#!/usr/bin/env bash
# The Secret Service on the test's private session bus, with real clients:
# secret-tool stores, looks up, searches and clears, and what it stored is an
# entry quillbox-cli reads back; python3-secretstorage (a DH session) creates,
# searches, reads, changes, deletes and sees the lock; bad input changes
# nothing. Then the confirmation: Deny is an error to the client, Allow
# Always is not asked again. Last, gnome-keyring holds the name first:
# Quillbox serves nothing and quillbox-cli says who does.
. "$(dirname "$0")/harness.sh"
command -v secret-tool >/dev/null && command -v gnome-keyring-daemon >/dev/null || {
  echo "secret-tool or gnome-keyring-daemon missing (scripts/setup installs them)"
  exit 77
}
qb_init
qb_install quillbox-cli
printf 'pw\n' | qb_cli create alice
printf 'pw\ns3cr3t\n' | qb_cli add alice Bank jdoe
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
entry_index() { printf 'pw\n' | qb_cli list alice | awk -F'\t' -v d="$1" '$2 == d { print $1 }'; }

qb_assert_eq "$(owner_line)" "Secret Service (org.freedesktop.secrets) served by: nobody" "before any start"
qb_set_setting_int Secret_Service 1 Secret_Service_Confirm 0
printf '"Last_Username"="alice"\n' >>"$(qb_user_hive)"

# --- Served, without confirmation ---
qb_start
log_in
qb_wait_for secrets_owned || qb_fail "Quillbox did not take org.freedesktop.secrets"
qb_assert_eq "$(owner_line)" \
  "Secret Service (org.freedesktop.secrets) served by: $QB_INSTALL/quillbox (process $QB_PID)" "while serving"

printf 'token-1' | secret-tool store --label="Git token" service git user jdoe || qb_fail "store"
qb_assert_eq "$(secret-tool lookup service git user jdoe)" "token-1" "lookup"
printf 'token-2' | secret-tool store --label="Git token" service git user jdoe || qb_fail "store again"
qb_assert_eq "$(secret-tool lookup service git user jdoe)" "token-2" "lookup after the replacing store"
found=$(secret-tool search --all service git 2>&1)
qb_assert_eq "$(grep -c '^label = Git token$' <<<"$found")" "1" "one item after two stores: $found"
grep -qx 'secret = token-2' <<<"$found" || qb_fail "search --all shows no secret: $found"
# The safe's own entries are items too.
qb_assert_eq "$(secret-tool lookup Title Bank UserName jdoe)" "s3cr3t" "an entry made by quillbox-cli"

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
quit
qb_wait_for secrets_free || qb_fail "the name stayed after the exit"

# --- Confirmation ---
qb_set_setting_int Secret_Service_Confirm 1
qb_start
log_in
qb_wait_for secrets_owned || qb_fail "not served with confirmation on"
client get_secrets_locked || qb_fail "GetSecrets of a locked safe"
log_in
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

secret-tool lookup application keeper >"$QB_ROOT/lookup.out" &
reader=$!
box=$(qb_wait_window "Secret Service")
qb_key "$box" alt+w
wait "$reader" || qb_fail "the allowed lookup failed"
qb_assert_eq "$(cat "$QB_ROOT/lookup.out")" "kept-secret" "allowed lookup"
qb_wait_no_window "Secret Service"
# Remembered with the entry: no question this time.
qb_assert_eq "$(timeout 10 secret-tool lookup application keeper)" "kept-secret" "lookup allowed always"
qb_assert_eq "$(qb_count_windows "Secret Service")" "0" "questions after Allow Always"
# The menu turns it off, for good.
qb_menu "$(qb_wait_window "$QB_TITLE_MAIN")" alt+f "Serve Secrets to Other Programs"
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
quit
qb_log "PASS"
