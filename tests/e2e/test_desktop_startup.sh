#!/usr/bin/env bash
# "Run at Startup" with the real program: ticking it writes an XDG autostart
# entry whose Exec is the running executable (a path with a space here),
# unticking removes it. Started through that entry by a real launcher, the
# program comes up minimised with the tick set and the log-in dialog open;
# with "Reside on Taskbar" as well, only the tray icon is left of it.
. "$(dirname "$0")/harness.sh"
. "$(dirname "$0")/desktop_helpers.sh"

qb_init
qb_install
mv "$QB_INSTALL" "$QB_ROOT/Quill Box"
QB_INSTALL="$QB_ROOT/Quill Box"
entry="$XDG_CONFIG_HOME/autostart/Quillbox.desktop"

qb_start
dt_dismiss_log_in
main=$(qb_wait_window "$QB_TITLE_MAIN")

qb_menu "$main" alt+f "Run at Startup"
qb_wait_for test -f "$entry" || qb_fail "no autostart entry after ticking"
grep -qx "Exec=\"$QB_INSTALL/quillbox\"" "$entry" || qb_fail "entry does not start the executable: $(cat "$entry")"
grep -qx "Type=Application" "$entry" || qb_fail "entry is not an application"
qb_menu "$main" alt+f "Run at Startup"
qb_wait_for test ! -e "$entry" || qb_fail "autostart entry left after unticking"
qb_menu "$main" alt+f "Run at Startup"
qb_wait_for test -f "$entry" || qb_fail "no autostart entry after ticking again"
qb_key "$main" alt+f x
dt_expect_clean_exit
qb_log "entry created, removed and created again"

# Starts quillbox as the desktop session would, through its autostart entry.
start_from_entry() {
  gio launch "$entry" >>"$QB_ROOT/quillbox.log" 2>&1 || qb_fail "gio could not launch the entry"
}
# The started program's main window (shown or not) and process.
find_main() {
  main=$(xdotool search --name "$(qb_title_regex "$QB_TITLE_MAIN")" 2>/dev/null | head -n 1)
  [ -n "$main" ]
}
ended() { ! kill -0 "$QB_PID" 2>/dev/null; }

start_from_entry
login=$(qb_wait_window "Enter Password")
qb_wait_for find_main || qb_fail "no main window"
QB_PID=$(xdotool getwindowpid "$main")
QB_PIDS+=("$QB_PID")
dt_wait_wm_state "$main" Iconic
dt_has_taskbar_button "$main" || qb_fail "minimised window has no taskbar button"
qb_key "$login" Escape
qb_wait_no_window "Enter Password"
qb_log "started minimised, with the log-in dialog"

# The tick was set at start: the first click clears it and removes the entry.
qb_menu "$main" alt+f "Run at Startup"
qb_wait_for test ! -e "$entry" || qb_fail "tick was not set at start"
qb_menu "$main" alt+f "Run at Startup"
qb_wait_for test -f "$entry" || qb_fail "entry not recreated"
qb_menu "$main" alt+f "Reside on Taskbar"
qb_key "$main" alt+f x
qb_wait_for ended || qb_fail "quillbox did not end"

start_from_entry
login=$(qb_wait_window "Enter Password")
qb_wait_for find_main || qb_fail "no main window"
QB_PID=$(xdotool getwindowpid "$main")
QB_PIDS+=("$QB_PID")
tray=$(dt_wait_tray_icon)
dt_wait_wm_state "$main" ""
no_button() { ! dt_has_taskbar_button "$main"; }
qb_wait_for no_button || qb_fail "tray-only start left a taskbar button"
qb_key "$login" Escape
qb_wait_no_window "Enter Password"
dt_click "$tray" 1 2
dt_wait_wm_state "$main" Normal
qb_log "started tray only; the tray icon brought the window back"
qb_key "$main" alt+f x
qb_wait_for ended || qb_fail "quillbox did not end"

echo "test_desktop_startup: passed"
