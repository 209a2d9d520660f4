#!/usr/bin/env bash
# Passwords > "Check Against a Breach List..." and the report it opens,
# through the real window: the file chosen in the file dialog is remembered
# in Breach_List_File, the table starts worst first with the breached count,
# a header click sorts it, and a double-click opens the entry, whose new
# password reaches the safe and the table.
. "$(dirname "$0")/harness.sh"
qb_init
qb_install quillbox-cli

leaked='Tr0ub4dor&3-Leaked!x'
strong='vivid-Quartz-harbor-71-Mosaic!'
list="$QB_ROOT/pwned.txt"
{
  printf '%s:4242\n' "$(printf %s "$leaked" | sha1sum | cut -c1-40 | tr a-f A-F)"
  for i in $(seq 1 200); do printf '%s:1\n' "$(printf 'other %s' "$i" | sha1sum | cut -c1-40 | tr a-f A-F)"; done
} | LC_ALL=C sort >"$list"

# The report's table; places are taken against its window's origin as
# xdotool sees it.
table() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$report")"
  /usr/bin/python3 "$QB_E2E_DIR/table_cells.py" "$QB_A11Y_BUS" "$QB_PID" "Password health" "$X,$Y" "$@"
}
column_is() {
  local got
  got=$(table column "$1" | paste -sd,) && [ "$got" = "$2" ]
}
click_at() { xdotool mousemove 0 0 mousemove --sync $1 click --repeat "$2" --delay 80 1; }

qb_start
login=$(qb_wait_window "Enter Password")
qb_create_user "$login" "alice" "correct horse"
main=$(qb_wait_window "$QB_TITLE_MAIN")
qb_add_entry "$main" "Strong" "me" "$strong"
qb_add_entry "$main" "Weak" "me" "secret"
qb_add_entry "$main" "Leaked" "me" "$leaked"

qb_menu "$main" alt+p "Check Against a Breach List..."
files=$(qb_wait_window "Check Against a Breach List")
qb_type "$files" "$list"
qb_key "$files" Return
report=$(qb_wait_window "Password Health")

qb_wait_for column_is 0 "Leaked,Weak,Strong" || qb_fail "not worst first: $(table column 0 | paste -sd,)"
qb_assert_eq "$(table column 5 | sed -n 1p)" 4242 "breached count"

spot=$(table header 0) || qb_fail "no header"
click_at "$spot" 1
qb_wait_for column_is 0 "Leaked,Strong,Weak" || qb_fail "not sorted by title: $(table column 0 | paste -sd,)"

spot=$(table cell Weak) || qb_fail "no row Weak"
click_at "$spot" 2
edit=$(qb_wait_window "Edit this account and password in your safe")
qb_key "$edit" Tab Tab ctrl+a
qb_type "$edit" "$strong-2"
qb_key "$edit" Return
qb_wait_no_window "Edit this account and password in your safe"
# The table is made again, worst first: Weak's password is no longer weak.
qb_wait_for column_is 0 "Leaked,Strong,Weak" || qb_fail "after the edit: $(table column 0 | paste -sd,)"
table column 2 | sed -n 3p | grep -Eq '^(good|excellent) ' || qb_fail "Weak's strength: $(table column 2 | paste -sd,)"

qb_key "$report" Escape
qb_wait_no_window "Password Health"
qb_key "$main" alt+f x
qb_wait_exit "$QB_PID"
qb_assert_eq "$QB_STATUS" 0 "exit status"
qb_assert_eq "$(qb_setting_string Breach_List_File)" "$list" "remembered breach list"
shown=$(echo "correct horse" | qb_cli --dir "$QB_INSTALL" show alice 2)
grep -qxF "Password: $strong-2" <<<"$shown" || qb_fail "the safe holds: $shown"
qb_log "PASS"
