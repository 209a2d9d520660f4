#!/usr/bin/env bash
# quillbox-cli changes a safe that is open in the window: the window shows
# the new entry without being asked, and its own next change keeps it.
. "$(dirname "$0")/harness.sh"
. "$(dirname "$0")/sync_helpers.sh"
qb_init
qb_install quillbox-cli
qb_set_setting_int Last_Sort 0                  # by description, ascending

qb_start
login=$(qb_wait_window "Enter Password")
qb_create_user "$login" "alice" "pw"
main=$(qb_wait_window "$QB_TITLE_MAIN")
qb_add_entry "$main" "Bank" "jdoe" "b1"

printf 'pw\nz1\n' | sync_cli "$QB_INSTALL" add alice Zeta zed || qb_fail "quillbox-cli add refused"
QB_WAIT_TIMEOUT=15 qb_wait_for sync_last_row_is "$main" "zed" || qb_fail "the window did not pick up the new entry"

qb_add_entry "$main" "Mail" "jd" "m1"
qb_assert_eq "$(sync_list "$QB_INSTALL")" "$(printf '1\tBank\tjdoe\n2\tZeta\tzed\n3\tMail\tjd')" "safe after the window's change"

# An edit made from the terminal while the window is open shows up as well.
printf 'pw\n' | sync_cli "$QB_INSTALL" edit alice 1 --description Apple || qb_fail "quillbox-cli edit refused"
QB_WAIT_TIMEOUT=15 qb_wait_for sync_last_row_is "$main" "zed" || qb_fail "the list went wrong"
qb_assert_eq "$(qb_row_user "$main" ctrl+Home)" "jdoe" "first row (Apple) after the edit"

qb_key "$main" alt+f x
qb_wait_exit "$QB_PID"
qb_assert_eq "$QB_STATUS" 0 "exit status"
qb_log "PASS"
