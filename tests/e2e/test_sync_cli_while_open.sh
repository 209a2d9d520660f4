#!/usr/bin/env bash
# quillbox-cli changes a safe that is open in the window: the window shows
# the new entry without being asked, and its own next change keeps it; an
# entry changed from both sides keeps the later change and the other password.
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

# Both change the same entry: the window's later edit wins and the
# terminal's password goes to the entry's history; a deletion from the
# terminal stays deleted through the window's next change.
qb_assert_eq "$(qb_row_user "$main" ctrl+End Up Down)" "zed" "the last row (Zeta) chosen for editing"
qb_key "$main" alt+p e
edit=$(qb_wait_window "Edit this account and password in your safe")
printf 'pw\nz2\n' | sync_cli "$QB_INSTALL" edit alice 2 --password || qb_fail "quillbox-cli password edit refused"
sleep 1.5
qb_key "$edit" Tab Tab ctrl+a
qb_type "$edit" "z3"
qb_key "$edit" Return
qb_wait_no_window "Edit this account and password in your safe"
shown=$(printf 'pw\n' | sync_cli "$QB_INSTALL" show alice 2)
grep -qx 'Password: z3' <<<"$shown" || qb_fail "the later edit did not win: $shown"
grep -qx 'Earlier passwords: 2' <<<"$shown" || qb_fail "the earlier passwords are not both kept: $shown"
printf 'pw\n' | sync_cli "$QB_INSTALL" rm alice 3 --yes || qb_fail "quillbox-cli rm refused"
sleep 1.5
qb_add_entry "$main" "Shop" "sj" "s1"
qb_assert_eq "$(sync_list "$QB_INSTALL")" "$(printf '1\tApple\tjdoe\n2\tZeta\tzed\n3\tShop\tsj')" "safe after the deletion and the window's add"

qb_key "$main" alt+f x
qb_wait_exit "$QB_PID"
qb_assert_eq "$QB_STATUS" 0 "exit status"
qb_log "PASS"
