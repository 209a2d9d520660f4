#!/usr/bin/env bash
# A second start brings the first window back, from minimised and from
# hidden (minimised with "Reside on Taskbar"), and leaves no window of its own;
# also when it comes during the first one's splash, before that one has a
# window, with the first started minimised by Run at Startup.
. "$(dirname "$0")/harness.sh"
. "$(dirname "$0")/desktop_helpers.sh"
qb_init
qb_install

for reside in 0 1; do
  qb_set_setting_int Store_On_Taskbar_Only "$reside"
  qb_start
  first=$QB_PID
  login=$(qb_wait_window "Enter Password")
  qb_key "$login" Escape
  qb_wait_no_window "Enter Password"
  main=$(qb_wait_window "$QB_TITLE_MAIN")

  qb_minimize "$main"
  qb_wait_no_window "$QB_TITLE_MAIN"
  if [ "$reside" = 1 ]; then
    # Hidden, not iconic: the window manager withdrew it (no WM_STATE Iconic).
    qb_withdrawn() { ! xprop -id "$main" WM_STATE 2>/dev/null | grep -q Iconic; }
    qb_wait_for qb_withdrawn || qb_fail "the minimised window was not hidden"
  fi

  qb_start
  qb_wait_exit "$QB_PID"
  qb_assert_eq "$QB_STATUS" 0 "second start's exit status (reside $reside)"

  qb_wait_window "$QB_TITLE_MAIN" >/dev/null
  qb_window_restored() { ! qb_is_minimized "$main"; }
  qb_wait_for qb_window_restored || qb_fail "the first window stayed minimised (reside $reside)"
  qb_assert_eq "$(qb_count_windows "$QB_TITLE_MAIN")" 1 "main windows (reside $reside)"
  qb_window_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$main" ]; }
  qb_wait_for qb_window_active || qb_fail "the first window did not come to the front (reside $reside)"
  kill -0 "$first" 2>/dev/null || qb_fail "the first instance ended (reside $reside)"

  qb_key "$main" alt+f x
  qb_wait_exit "$first"
  qb_assert_eq "$QB_STATUS" 0 "exit status"
done
qb_set_setting_int Store_On_Taskbar_Only 0
mkdir -p "$XDG_CONFIG_HOME/autostart"
printf '[Desktop Entry]\nType=Application\nExec=true\n' >"$XDG_CONFIG_HOME/autostart/Quillbox.desktop"
qb_start
first=$QB_PID
# The splash is the only window the first instance shows before its main one.
splash_shown() { [ -n "$(xdotool search --onlyvisible --pid "$first" 2>/dev/null)" ]; }
qb_wait_for splash_shown || qb_fail "no splash"
qb_start
qb_wait_exit "$QB_PID"
qb_assert_eq "$QB_STATUS" 0 "exit status of the start during the splash"
main=$(xdotool search --name "$(qb_title_regex "$QB_TITLE_MAIN")" 2>/dev/null | head -n 1 || true)
[ -z "$main" ] || qb_fail "the main window existed before the second start ended: not during the splash"

login=$(qb_wait_window "Enter Password")
qb_key "$login" Escape
qb_wait_no_window "Enter Password"
main=$(qb_wait_window "$QB_TITLE_MAIN")
dt_wait_wm_state "$main" Normal
qb_window_restored() { ! qb_is_minimized "$main"; }
qb_wait_for qb_window_restored || qb_fail "the window started minimised stayed minimised"
qb_key "$main" alt+f x
qb_wait_exit "$first"
qb_assert_eq "$QB_STATUS" 0 "exit status"
qb_log "PASS"
