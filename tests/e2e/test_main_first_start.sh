#!/usr/bin/env bash
# First start, a new user with two entries, and a second start that offers
# the user's name and lists both entries masked.
. "$(dirname "$0")/harness.sh"
qb_init
qb_install

qb_start
login=$(qb_wait_window "Enter Password")
qb_assert_eq "$(qb_copy "$login" ctrl+a)" "" "name offered at first start"

qb_create_user "$login" "alice" "correct horse"
main=$(qb_wait_window "$QB_TITLE_MAIN")
qb_add_entry "$main" "Bank" "jdoe" "s3cr3t"
qb_add_entry "$main" "Mail" "alice@example.com" "pa55word"
[ -f "$QB_INSTALL/alice.SAFE" ] || qb_fail "no safe beside the executable"

qb_key "$main" alt+f x                          # "E&xit"
qb_wait_exit "$QB_PID"
qb_assert_eq "$QB_STATUS" 0 "exit status"
qb_assert_eq "$(qb_setting_string Last_Username)" "alice" "Last_Username"
qb_assert_eq "$(qb_setting_int Last_Sort)" 2 "Last_Sort"

qb_start
login=$(qb_wait_window "Enter Password")
qb_type "$login" "correct horse"                # the focus is on the password
qb_key "$login" Return
qb_wait_no_window "Enter Password"
main=$(qb_wait_window "$QB_TITLE_MAIN")

# Sorted by user name: Mail (alice@...) above Bank (jdoe). The rows are
# read through "Copy User Name" and "Copy Password"; ctrl+arrows move the
# current row without selecting it.
qb_assert_eq "$(qb_row_user "$main" ctrl+Home)" "alice@example.com" "first row"
qb_assert_eq "$(qb_row_user "$main" ctrl+Down)" "jdoe" "second row"
qb_assert_eq "$(qb_row_password "$main" ctrl+space)" "s3cr3t" "selected row's password"

qb_screenshot "$QB_ROOT/main.png"
qb_key "$main" alt+f x
qb_wait_exit "$QB_PID"
qb_assert_eq "$QB_STATUS" 0 "exit status"
qb_log "PASS"
