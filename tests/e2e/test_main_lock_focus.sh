#!/usr/bin/env bash
# A lock never takes the keyboard from the program the user is typing in.
# An xterm has the focus while Quillbox, logged in, waits behind it; the
# desktop's screen-lock signal, and later the idle lock of a minimised
# Quillbox, close the safe without a word: every key typed reaches the
# xterm, no log-in dialog shows, and the minimised window stays so. The
# password is asked when the user brings the window up (a second start,
# then the taskbar), and the window is shown normally after it.
. "$(dirname "$0")/harness.sh"
qb_init
qb_install quillbox-cli
printf 'pw\n' | qb_cli create alice
printf 'pw\ns3cr3t\n' | qb_cli add alice Bank jdoe
qb_set_setting_int Last_Sort 0 Lock_After_Seconds 0 Lock_On_Screen_Lock 1
printf '"Last_Username"="alice"\n' >>"$(qb_user_hive)"

typed="$QB_ROOT/typed"
xterm -title Typing -e sh -c "exec cat >'$typed'" >>"$QB_ROOT/xterm.log" 2>&1 &
QB_PIDS+=("$!")
term=$(qb_wait_window Typing)

log_in() {
  local login
  login=$(qb_wait_window "Enter Password")
  qb_type "$login" "pw"
  qb_key "$login" Return
  qb_wait_no_window "Enter Password"
}

# The list's descriptions through the accessibility tree: read without a
# key or a click, which would count as use and bring the window up.
descriptions() {
  /usr/bin/python3 "$QB_E2E_DIR/table_cells.py" "$QB_A11Y_BUS" "$QB_PID" Entries 0,0 column 0
}
list_is() { [ "$(descriptions 2>/dev/null)" = "$1" ]; }
wait_list() { qb_wait_for list_is "$1" || qb_fail "list: expected \"$1\", got \"$(descriptions 2>&1)\""; }

# Keys typed without choosing a window: they go wherever the focus is,
# which must still be the xterm; no dialog came up meanwhile.
type_on() {
  xdotool type --delay 15 -- "$1"
  qb_assert_eq "$(xdotool getwindowfocus)" "$term" "window with the focus"
  # Once Quillbox has answered again, whatever the lock put off has run.
  wait_list ""
  qb_assert_eq "$(qb_count_windows "Enter Password")" 0 "log-in dialogs after the lock"
  qb_assert_eq "$(xdotool getwindowfocus)" "$term" "window with the focus"
}

qb_start
first=$QB_PID
log_in
main=$(qb_wait_window "$QB_TITLE_MAIN")
wait_list Bank
qb_type "$term" "before "
gdbus emit --session --object-path /org/freedesktop/ScreenSaver \
  --signal org.freedesktop.ScreenSaver.ActiveChanged true >/dev/null
wait_list ""
type_on "the screen lock"
qb_log "screen lock: the xterm kept the keyboard"

# A second start brings the window up, and the password is asked.
qb_start
qb_wait_exit "$QB_PID"
qb_assert_eq "$QB_STATUS" 0 "second start"
QB_PID=$first
log_in
wait_list Bank
qb_key "$main" alt+f x
qb_wait_exit "$QB_PID"

# The idle lock of a minimised window: started as at log-in to the desktop
# ("Run at Startup"), the window stays minimised after the log-in.
qb_set_setting_int Lock_After_Seconds 4 Lock_On_Screen_Lock 0
mkdir -p "$XDG_CONFIG_HOME/autostart"
: >"$XDG_CONFIG_HOME/autostart/Quillbox.desktop"
qb_start
log_in
find_main() { main=$(xdotool search --name "$(qb_title_regex "$QB_TITLE_MAIN")" 2>/dev/null | head -n 1); [ -n "$main" ]; }
qb_wait_for find_main || qb_fail "no main window"
qb_is_minimized "$main" || qb_fail "not started minimised"
qb_type "$term" " and "
wait_list ""
type_on "the idle lock"
qb_is_minimized "$main" || qb_fail "the lock brought the window up"
qb_key "$term" Return
qb_log "idle lock: the xterm kept the keyboard"

# The taskbar's way of bringing it up: the window manager activates it.
qb_xdotool windowactivate "$main" >/dev/null 2>&1 || true
log_in
! qb_is_minimized "$main" || qb_fail "the window stayed minimised after the log-in"
[ "$(xprop -id "$main" WM_STATE | sed -n 's/.*window state: //p')" = Normal ] || qb_fail "the window is not shown"
got_line() { [ "$(cat "$typed")" = "before the screen lock and the idle lock" ]; }
qb_wait_for got_line || qb_fail "the xterm got \"$(cat "$typed")\""
qb_log "PASS"
