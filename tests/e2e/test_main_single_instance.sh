#!/usr/bin/env bash
# A second start brings the first window back, even from minimised, and
# leaves no window of its own.
. "$(dirname "$0")/harness.sh"
qb_init
qb_install

qb_start
first=$QB_PID
login=$(qb_wait_window "Enter Password")
qb_key "$login" Escape
qb_wait_no_window "Enter Password"
main=$(qb_wait_window "$QB_TITLE_MAIN")

xdotool windowminimize --sync "$main"
qb_wait_no_window "$QB_TITLE_MAIN"

qb_start
qb_wait_exit "$QB_PID"
qb_assert_eq "$QB_STATUS" 0 "second start's exit status"

qb_wait_window "$QB_TITLE_MAIN" >/dev/null
qb_window_restored() { ! qb_is_minimized "$main"; }
qb_wait_for qb_window_restored || qb_fail "the first window stayed minimised"
qb_assert_eq "$(qb_count_windows "$QB_TITLE_MAIN")" 1 "main windows"
qb_window_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$main" ]; }
qb_wait_for qb_window_active || qb_fail "the first window did not come to the front"
kill -0 "$first" 2>/dev/null || qb_fail "the first instance ended"

qb_key "$main" alt+f x
qb_wait_exit "$first"
qb_assert_eq "$QB_STATUS" 0 "exit status"
qb_log "PASS"
