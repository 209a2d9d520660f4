# Helpers of the desktop-integration end-to-end tests; sourced after harness.sh.

DT_OPENED_LOG=""

# Puts stand-ins for the browser and mail launchers first on PATH; each
# appends a line "<name>|<argument>|<argument>..." to $DT_OPENED_LOG.
dt_fake_launchers() {
  local bin="$QB_ROOT/fakebin" name
  DT_OPENED_LOG="$QB_ROOT/opened.log"
  mkdir -p "$bin"
  : >"$DT_OPENED_LOG"
  for name in xdg-open xdg-email; do
    printf '#!/bin/sh\n{ printf "%%s" "%s"; printf "|%%s" "$@"; echo; } >>"%s"\n' \
      "$name" "$DT_OPENED_LOG" >"$bin/$name"
    chmod +x "$bin/$name"
  done
  export PATH="$bin:$PATH"
}

# WM_STATE of window $1 as the window manager keeps it: Normal, Iconic, or
# empty once the window is withdrawn (hidden).
dt_wm_state() {
  xprop -id "$1" WM_STATE 2>/dev/null | sed -n 's/.*window state: //p'
}

dt_wait_wm_state() {
  local wid=$1 want=$2
  dt_state_is() { [ "$(dt_wm_state "$wid")" = "$want" ]; }
  qb_wait_for dt_state_is || qb_fail "window $wid: state \"$(dt_wm_state "$wid")\", expected \"$want\""
}

# True while window $1 is among the windows the taskbar shows.
dt_has_taskbar_button() {
  xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -qiw "$(printf '0x%x' "$1")"
}

# The tray icon: a small window of quillbox's (name and class "quillbox")
# embedded in the window manager's tray. Echoes its id.
dt_find_tray_icon() {
  local id X Y WIDTH HEIGHT SCREEN WINDOW
  for id in $(xdotool search --onlyvisible --class '^quillbox$' 2>/dev/null); do
    [ "$(xdotool getwindowname "$id" 2>/dev/null)" = quillbox ] || continue
    eval "$(xdotool getwindowgeometry --shell "$id")"
    if [ "$WIDTH" -le 64 ] && [ "$HEIGHT" -le 64 ]; then
      echo "$id"
      return 0
    fi
  done
  return 1
}

dt_wait_tray_icon() {
  local found=""
  dt_tray_seen() { found=$(dt_find_tray_icon); [ -n "$found" ]; }
  qb_wait_for dt_tray_seen || qb_fail "no tray icon"
  echo "$found"
}

# The middle of window $1 on the screen, as "X Y".
dt_middle() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  echo "$((X + WIDTH / 2)) $((Y + HEIGHT / 2))"
}

# Clicks the middle of window $1: count clicks with button $2 (1 left, 3 right).
dt_click() {
  local wid=$1 button=$2 count=${3:-1}
  # --sync waits for a move, so the pointer leaves the spot first.
  xdotool mousemove 0 0 mousemove --sync $(dt_middle "$wid")
  xdotool click --repeat "$count" --delay 60 "$button"
}

# Presses button $2 on the middle of window $1 and lets it go after a hand's
# pause.
dt_press() {
  xdotool mousemove 0 0 mousemove --sync $(dt_middle "$1")
  xdotool mousedown "$2" sleep 0.4 mouseup "$2"
}

# Closes the log-in dialog that opens after the splash.
dt_dismiss_log_in() {
  local login
  login=$(qb_wait_window "Enter Password")
  qb_key "$login" Escape
  qb_wait_no_window "Enter Password"
}

# Screenshots for the README go to $QUILLBOX_SCREENSHOT_DIR when it is set
# (docs/screenshots refreshes them), else beside the other test artifacts.
dt_screenshot_dir() {
  local dir="${QUILLBOX_SCREENSHOT_DIR:-$QB_ARTIFACT_DIR}"
  mkdir -p "$dir"
  echo "$dir"
}

# Waits for quillbox to end and fails unless its status is 0. Not for a
# subshell: only this shell can collect the status of the process it started.
dt_expect_clean_exit() {
  qb_wait_for qb_process_gone "$QB_PID" || qb_fail "quillbox did not end"
  local status=0
  wait "$QB_PID" || status=$?
  [ "$status" = 0 ] || qb_fail "quillbox ended with status $status"
}

dt_window_gone() { ! xwininfo -id "$1" >/dev/null 2>&1; }
