#!/usr/bin/env bash
# The first start only starts the update clock; Help > "Check for Updates..."
# asks how to update, checks at once and, with nothing published (the server
# answers 404), says that the check could not be made.
. "$(dirname "$0")/harness.sh"
. "$QUILLBOX_SOURCE_DIR/tests/unit/update/update_server.sh"

qb_init
qb_install
qb_start_update_server "$QB_ROOT/server"
qb_point_at_update_server

before=$(date +%s)
qb_start
login=$(qb_wait_window "Enter Password")
[ -z "$(qb_find_windows "Automatic Updates")" ] || qb_fail "the first start asked about updates"
first=$(qb_setting_int Last_Update_Check_Time)
[ -n "$first" ] && [ "$first" -ge "$before" ] || qb_fail "first start stored no check time ($first)"
[ ! -s "$QB_ROOT/server/requests.log" ] || qb_fail "the first start asked the server"

qb_key "$login" Escape
qb_wait_no_window "Enter Password"
main=$(qb_wait_window "$QB_TITLE_MAIN")
qb_key "$main" alt+h c                          # "&Check for Updates..."
options=$(qb_wait_window "Automatic Updates")
qb_key "$options" Return                        # OK: "just once, right now"
failed=$(qb_wait_window "ERROR")
grep -q '"path": "/downloads/update10.sig"' "$QB_ROOT/server/requests.log" || qb_fail "no check was made"
[ -z "$(qb_find_windows "Software is Current")" ] || qb_fail "a failed check said there is nothing new"
qb_key "$failed" Return
qb_wait_no_window "ERROR"
qb_assert_eq "$(qb_setting_int Update_Check_Option)" "" "stored option after \"just once\""

qb_key "$main" alt+f x                          # "E&xit"
qb_wait_for qb_process_gone "$QB_PID" || qb_fail "quillbox did not end"
status=0
wait "$QB_PID" || status=$?
qb_assert_eq "$status" 0 "exit status"
echo "test_update_manual: 1 passed, 0 failed"
