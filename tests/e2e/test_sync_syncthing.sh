#!/usr/bin/env bash
# Two Syncthing instances (Debian's package) on loopback share one folder,
# each side's safe folder. A safe made on side A reaches side B; an entry
# added on A shows up in B's open window by itself; changes made on both
# sides while syncing is paused both survive, through the conflict copy
# that Syncthing makes and the window merges; and when both sides change the
# same entry, the later change wins on both.
. "$(dirname "$0")/harness.sh"
. "$(dirname "$0")/sync_helpers.sh"
if ! command -v syncthing >/dev/null; then
  echo "SKIP: syncthing is not installed and scripts/setup could not install it here"
  exit 77
fi
QB_TEST_DEADLINE=$((SECONDS + 240))
qb_init
qb_install quillbox-cli
A="$QB_ROOT/a-safes"
B="$QB_ROOT/b-safes"

read -r port_a port_b gui_a gui_b < <(st_free_ports 4)
id_a=$(st_prepare a)
id_b=$(st_prepare b)
st_configure a "$id_a" "$port_a" "$gui_a" "$id_b" "$port_b"
st_configure b "$id_b" "$port_b" "$gui_b" "$id_a" "$port_a"
st_start a
st_start b
QB_WAIT_TIMEOUT=60 qb_wait_for st_connected a "$gui_a" || qb_fail "the two instances did not connect"
st_only_loopback || qb_fail "syncthing left the loopback interface"

# A user made on A is there on B.
printf 'pw\n' | sync_cli "$A" create alice || qb_fail "create on A"
printf 'pw\nb1\n' | sync_cli "$A" add alice Bank jdoe || qb_fail "add on A"
QB_WAIT_TIMEOUT=60 qb_wait_for sync_list_is "$B" "$(printf '1\tBank\tjdoe')" || qb_fail "the safe did not reach B"

# B's window has the safe open; an entry added on A appears there by itself.
sync_write_hive Safe_Folder "$B" Last_Username alice
qb_set_setting_int Last_Sort 0
qb_start
login=$(qb_wait_window "Enter Password")
qb_type "$login" "pw"
qb_key "$login" Return
qb_wait_no_window "Enter Password"
main=$(qb_wait_window "$QB_TITLE_MAIN")
qb_assert_eq "$(qb_row_user "$main" ctrl+Home)" "jdoe" "B's list at log-in (Bank)"
printf 'pw\nz1\n' | sync_cli "$A" add alice Zeta zed || qb_fail "second add on A"
QB_WAIT_TIMEOUT=60 qb_wait_for sync_last_row_is "$main" "zed" || qb_fail "B's window did not pick up A's entry"

# Paused, both sides change the safe; resumed, nothing is lost.
st_rest a "$gui_a" POST /rest/system/pause >/dev/null || qb_fail "pause"
QB_WAIT_TIMEOUT=30 qb_wait_for st_disconnected a "$gui_a" || qb_fail "pausing did not disconnect"
printf 'pw\na1\n' | sync_cli "$A" add alice Apple ann || qb_fail "add on A while paused"
qb_add_entry "$main" "Mango" "mo" "m1"
st_rest a "$gui_a" POST /rest/system/resume >/dev/null || qb_fail "resume"

expected=$(printf '%s\n' Apple Bank Mango Zeta)
conflict_seen=no
both_sides_merged() {
  if compgen -G "$A/*.sync-conflict-*" >/dev/null || compgen -G "$B/*.sync-conflict-*" >/dev/null; then
    conflict_seen=yes
    return 1
  fi
  [ "$(sync_list "$A" | cut -f2 | sort)" = "$expected" ] && [ "$(sync_list "$B" | cut -f2 | sort)" = "$expected" ]
}
QB_WAIT_TIMEOUT=90 qb_wait_for both_sides_merged || qb_fail "both changes are not on both sides: A: $(sync_list "$A" | cut -f2 | tr '\n' ' ') B: $(sync_list "$B" | cut -f2 | tr '\n' ' ')"
qb_log "conflict copy seen while merging: $conflict_seen"
qb_assert_eq "$(qb_row_user "$main" ctrl+Home)" "ann" "B's first row (Apple)"
qb_assert_eq "$(sync_last_row "$main")" "zed" "B's last row (Zeta)"
st_only_loopback || qb_fail "syncthing left the loopback interface"

# Paused again, both sides change the same entry: the later change wins on
# both sides (this window's, made after the command line's).
bank_password() { printf 'pw\n' | sync_cli "$1" show alice "$(sync_list "$1" | grep -P '\tBank\t' | cut -f1)" | sed -n 's/^Password: //p'; }
st_rest a "$gui_a" POST /rest/system/pause >/dev/null || qb_fail "second pause"
QB_WAIT_TIMEOUT=30 qb_wait_for st_disconnected a "$gui_a" || qb_fail "the second pause did not disconnect"
printf 'pw\nfrom-a\n' | sync_cli "$A" edit alice "$(sync_list "$A" | grep -P '\tBank\t' | cut -f1)" --password ||
  qb_fail "edit on A while paused"
sleep 1.5
qb_key "$main" ctrl+Home Down alt+p e
edit=$(qb_wait_window "Edit this account and password in your safe")
qb_key "$edit" Tab Tab ctrl+a
qb_type "$edit" "from-b"
qb_key "$edit" Return
qb_wait_no_window "Edit this account and password in your safe"
st_rest a "$gui_a" POST /rest/system/resume >/dev/null || qb_fail "second resume"
both_have_b() {
  ! compgen -G "$A/*.sync-conflict-*" >/dev/null && ! compgen -G "$B/*.sync-conflict-*" >/dev/null &&
    [ "$(bank_password "$A")" = "from-b" ] && [ "$(bank_password "$B")" = "from-b" ]
}
QB_WAIT_TIMEOUT=90 qb_wait_for both_have_b || qb_fail "the later edit did not win on both sides: A: $(bank_password "$A") B: $(bank_password "$B")"
qb_assert_eq "$(sync_list "$A" | cut -f2 | sort | tr '\n' ' ')" "Apple Bank Mango Zeta " "A's entries after both edits"

qb_key "$main" alt+f x
qb_wait_exit "$QB_PID"
st_stop_all
[ "$SECONDS" -le "$QB_TEST_DEADLINE" ] || qb_fail "took longer than its bound"
qb_log "PASS"
