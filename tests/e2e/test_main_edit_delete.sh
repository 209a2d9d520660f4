#!/usr/bin/env bash
# Edit and delete in the real program; after a restart the safe holds the
# changes and the list comes up in the stored sort order.
. "$(dirname "$0")/harness.sh"
qb_init
qb_install

qb_start
login=$(qb_wait_window "Enter Password")
qb_create_user "$login" "bob" "pw"
main=$(qb_wait_window "$QB_TITLE_MAIN")
qb_add_entry "$main" "Alpha" "u1" "p1"
qb_add_entry "$main" "Beta" "u2" "p2"
qb_add_entry "$main" "Gamma" "u3" "p3"

# Sorted by user name: Alpha, Beta, Gamma. Edit the second row.
qb_key "$main" Home Down alt+p e
edit=$(qb_wait_window "Edit this account and password in your safe")
qb_assert_eq "$(qb_copy "$edit" ctrl+a)" "Beta" "description offered for editing"
qb_type "$edit" "Beta2"
qb_key "$edit" Return
qb_wait_no_window "Edit this account and password in your safe"

# Delete the first row: the question, then Enter for its default Yes.
qb_key "$main" ctrl+Home ctrl+space Delete
question=$(qb_wait_window "PERMANENT DELETE")
qb_key "$question" Return
qb_wait_no_window "PERMANENT DELETE"

qb_key "$main" alt+f x
qb_wait_exit "$QB_PID"
qb_assert_eq "$QB_STATUS" 0 "exit status"

qb_set_setting_int Last_Sort 1                  # "Description", descending
qb_start
login=$(qb_wait_window "Enter Password")
qb_type "$login" "pw"
qb_key "$login" Return
qb_wait_no_window "Enter Password"
main=$(qb_wait_window "$QB_TITLE_MAIN")
# Read through "Copy User Name": Gamma (u3), Beta2 (u2), and no third row.
qb_assert_eq "$(qb_row_user "$main" ctrl+Home)" "u3" "first row"
qb_assert_eq "$(qb_row_user "$main" ctrl+Down)" "u2" "second row"
qb_assert_eq "$(qb_row_user "$main" ctrl+Down)" "u2" "no third row"
qb_key "$main" alt+f x
qb_wait_exit "$QB_PID"
qb_assert_eq "$(qb_setting_int Last_Sort)" 1 "Last_Sort"
qb_log "PASS"
