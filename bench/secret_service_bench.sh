#!/usr/bin/env bash
# 1,000 GetSecret look-ups through python3-secretstorage, once against
# Quillbox (its window under Xvfb, the safe logged in, no confirmation) and
# once against gnome-keyring-daemon (unlocked), each alone on the same
# private session bus and holding the same 1,000 items. Prints both times and
# Quillbox's speed as a ratio to gnome-keyring's (above 1: Quillbox is faster).
#   QUILLBOX_BIN_DIR=build/default/bin bash bench/secret_service_bench.sh [COUNT]
count=${1:-1000}
QB_TIMEOUT=${QB_TIMEOUT:-60}
. "$(dirname "$0")/../tests/e2e/harness.sh"
bench() { /usr/bin/python3 "$(dirname "$0")/secret_service_lookups.py" "$@"; }
owned() {
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner org.freedesktop.secrets 2>/dev/null | grep -q true
}
free() { ! owned; }
# The name is taken at start-up: served is not yet logged in.
unlocked() {
  gdbus call --session --dest org.freedesktop.secrets --object-path /org/freedesktop/secrets/aliases/default \
    --method org.freedesktop.DBus.Properties.Get org.freedesktop.Secret.Collection Locked 2>/dev/null |
    grep -q false
}

qb_init
qb_install quillbox-cli
printf 'pw\n' | qb_cli create alice
qb_set_setting_int Secret_Service 1 Secret_Service_Confirm 0
printf '"Last_Username"="alice"\n' >>"$(qb_user_hive)"
qb_start
login=$(qb_wait_window "Enter Password")
qb_type "$login" "pw"
qb_key "$login" Return
qb_wait_no_window "Enter Password"
qb_wait_for owned || qb_fail "Quillbox does not serve"
qb_wait_for unlocked || qb_fail "Quillbox's collection stayed locked after the log-in"
fill_start=$SECONDS
bench fill "$count" || qb_fail "filling Quillbox"
qb_log "Quillbox stored $count items in $((SECONDS - fill_start)) s"
quillbox=$(bench time "$count") || qb_fail "timing Quillbox"
kill "$QB_PID"
qb_wait_for free || qb_fail "Quillbox kept the name"

printf 'pw' | gnome-keyring-daemon --unlock --foreground --components=secrets >>"$QB_ROOT/keyring.log" 2>&1 &
QB_PIDS+=("$!")
qb_wait_for owned || qb_fail "gnome-keyring-daemon does not serve"
bench fill "$count" || qb_fail "filling gnome-keyring"
keyring=$(bench time "$count") || qb_fail "timing gnome-keyring"

printf '%-22s %10s\n' "server" "seconds for $count GetSecret"
printf '%-22s %10s\n' "Quillbox" "$quillbox" "gnome-keyring-daemon" "$keyring"
awk -v q="$quillbox" -v k="$keyring" 'BEGIN { printf "Quillbox speed / gnome-keyring speed: %.2f\n", k / q }'
