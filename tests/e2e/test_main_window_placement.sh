#!/usr/bin/env bash
# The main window comes back where it was left, with its size; a position
# stored off every monitor comes back at (0, 0).
. "$(dirname "$0")/harness.sh"
qb_init
qb_install

start_without_login() {
  qb_start
  local login
  login=$(qb_wait_window "Enter Password")
  qb_key "$login" Escape
  qb_wait_no_window "Enter Password"
  main=$(qb_wait_window "$QB_TITLE_MAIN")
}

exit_quillbox() {
  qb_key "$main" alt+f x
  qb_wait_exit "$QB_PID"
  qb_assert_eq "$QB_STATUS" 0 "exit status"
}

start_without_login
qb_move "$main" 210 160
qb_resize "$main" 700 480
left=$(qb_geometry "$main")
exit_quillbox
[ "$(qb_setting_int Main_Window_Dim_dx)" = 700 ] || qb_fail "stored width $(qb_setting_int Main_Window_Dim_dx)"

start_without_login
qb_assert_eq "$(qb_geometry "$main")" "$left" "geometry after a restart"
exit_quillbox

# A monitor that has gone: the stored corner lies off the only screen.
qb_set_setting_int Main_Window_Dim_x 4000 Main_Window_Dim_y 3000
start_without_login
read -r x y _ <<<"$(qb_geometry "$main")"
[ "$x" -lt 20 ] && [ "$y" -lt 60 ] || qb_fail "window at $x,$y, not at the top-left corner"
exit_quillbox
qb_assert_eq "$(qb_setting_int Main_Window_Dim_x),$(qb_setting_int Main_Window_Dim_y)" "0,0" "stored corner"
qb_log "PASS"
