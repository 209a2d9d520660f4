# End-to-end harness: source it from a tests/e2e/test_*.sh script.
#
#   . "$(dirname "$0")/harness.sh"
#   qb_init                       # own X display + icewm, isolated HOME/XDG/TMPDIR
#   qb_install                    # fresh install folder with quillbox + quillbox.html
#   qb_start                      # start the installed quillbox in the background
#   wid=$(qb_wait_window "Enter Password")
#   qb_type "$wid" "alice"; qb_key "$wid" Return
#   text=$(qb_copy "$wid" ctrl+a) # what ctrl+c copies in a dialog's field after those keys
#   user=$(qb_row_user "$main" ctrl+Home)  # the list's rows are read through the
#   pass=$(qb_row_password "$main" Down)   # program's own copy commands (ctrl+b, ctrl+c)
#   qb_wait_exit "$QB_PID"; qb_assert_eq "$QB_STATUS" 0 "exit status"
#   qb_set_setting_int Name 5     # settings before a start; qb_setting_int to read
#   qb_menu "$main" alt+f "Run at Startup"  # opens a menu by its key, clicks an item by its text
#
# Every process started here is killed and every file removed on exit.
# Waits poll for a state with a deadline; nothing relies on fixed sleeps.
# Functions that fail call qb_fail, which ends the test; inside $(...) that
# only ends the subshell, so keep `set -e` and plain assignments (not `local
# x=$(...)`) around such calls.

set -euo pipefail

: "${QUILLBOX_BIN_DIR:?QUILLBOX_BIN_DIR must name the bin folder of a build}"
if [ -z "${QUILLBOX_SOURCE_DIR:-}" ]; then
  QUILLBOX_SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
fi

QB_E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
QB_TIMEOUT=${QB_TIMEOUT:-30}
QB_PIDS=()
QB_TITLE_MAIN="Tarnwell Quillbox"
QB_HIVE_KEY='HKEY_CURRENT_USER\Software\tarnwell\Tarnwell Quillbox\2.x'

qb_log() { echo "[$(date +%T)] $*" >&2; }

qb_fail() {
  qb_log "FAIL: $*"
  if [ -n "${QB_ROOT:-}" ] && [ -n "${DISPLAY:-}" ]; then
    local shot="${QB_ARTIFACT_DIR:-${TMPDIR:-/tmp}}/e2e-failure-$$.png"
    import -window root "$shot" 2>/dev/null && qb_log "screen at failure: $shot" || true
  fi
  local log
  for log in quillbox icewm xvfb sway; do
    if [ -s "${QB_ROOT:-/nonexistent}/$log.log" ]; then
      qb_log "$log output:"; tail -n 40 "$QB_ROOT/$log.log" >&2 || true
    fi
  done
  exit 1
}

qb_cleanup() {
  local pid
  for pid in "${QB_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${QB_PIDS[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  if [ -n "${QB_ROOT:-}" ] && [ -d "$QB_ROOT" ]; then
    rm -rf "$QB_ROOT"
  fi
}

# Polls "$@" until it succeeds or QB_TIMEOUT (or $QB_WAIT_TIMEOUT) seconds pass.
qb_wait_for() {
  local deadline=$((SECONDS + ${QB_WAIT_TIMEOUT:-$QB_TIMEOUT}))
  until "$@"; do
    if [ "$SECONDS" -ge "$deadline" ]; then
      return 1
    fi
    sleep 0.1
  done
}

# Starts Xvfb on a free display and icewm, and gives
# the test its own HOME, config hives, temporary and runtime folders.
qb_init() {
  qb_init_folders

  local attempt
  for attempt in 1 2 3 4 5; do
    if qb_start_display; then
      break
    fi
    [ "$attempt" -lt 5 ] || qb_fail "no X display with a window manager"
    qb_log "display attempt $attempt failed; trying again"
    tail -n 5 "$QB_ROOT/xvfb.log" "$QB_ROOT/icewm.log" >&2 2>/dev/null || true
  done
  qb_log "display $DISPLAY ready in $QB_ROOT"
  qb_start_accessibility_bus
}

# The test's own HOME, config hives, temporary and runtime folders, all
# removed on exit.
qb_init_folders() {
  QB_ROOT=$(mktemp -d "${TMPDIR:-/tmp}/quillbox-e2e.XXXXXX")
  QB_ARTIFACT_DIR=${QB_ARTIFACT_DIR:-${TMPDIR:-/tmp}}
  trap qb_cleanup EXIT
  trap 'exit 130' INT TERM

  export HOME="$QB_ROOT/home"
  export XDG_CONFIG_HOME="$HOME/.config"
  # Like a desktop user's, the machine hive cannot be written: its folder
  # would lie under a plain file (root could write anywhere else).
  : >"$QB_ROOT/no-machine-hive"
  export XDG_CONFIG_DIRS="$QB_ROOT/no-machine-hive/xdg"
  export XDG_DATA_HOME="$HOME/.local/share"
  export XDG_STATE_HOME="$HOME/.local/state"
  export XDG_RUNTIME_DIR="$QB_ROOT/run"
  export TMPDIR="$QB_ROOT/tmp"
  mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$TMPDIR"
  mkdir -m 0700 -p "$XDG_RUNTIME_DIR"
  unset QT_QPA_PLATFORM SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS
}

# A private session bus with the accessibility bus launcher on it, as a
# desktop has: the programs started here publish their widgets on the
# accessibility (AT-SPI) bus, so qb_menu finds a menu item by its text.
# The bus starts no services of its own (no service folders).
qb_start_accessibility_bus() {
  qb_start_session_bus
  GSETTINGS_BACKEND=memory /usr/libexec/at-spi-bus-launcher --launch-immediately --a11y=1 >>"$QB_ROOT/dbus.log" 2>&1 &
  QB_PIDS+=("$!")
  qb_a11y_bus_up() { QB_A11Y_BUS=$(qb_a11y_address) && [ -n "$QB_A11Y_BUS" ]; }
  QB_WAIT_TIMEOUT=10 qb_wait_for qb_a11y_bus_up || qb_fail "no accessibility bus"
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
}

# A private session bus (DBUS_SESSION_BUS_ADDRESS) that starts no services.
qb_start_session_bus() {
  local socket="$QB_ROOT/session-bus"
  cat >"$QB_ROOT/session-bus.conf" <<EOF
<busconfig>
  <type>session</type>
  <listen>unix:path=$socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
  dbus-daemon --config-file="$QB_ROOT/session-bus.conf" --nofork --nopidfile >>"$QB_ROOT/dbus.log" 2>&1 &
  QB_PIDS+=("$!")
  QB_WAIT_TIMEOUT=10 qb_wait_for test -S "$socket" || qb_fail "no session bus"
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$socket"
}

qb_a11y_address() {
  gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
    --method org.a11y.Bus.GetAddress 2>/dev/null | sed -n "s/^('\(.*\)',)$/\1/p"
}

# Xvfb on a free display number, then icewm. False (with both stopped)
# when either does not come up. Numbers are drawn at random from a high
# range so that tests running at the same time do not reach for the same one.
qb_start_display() {
  local number
  for _ in 1 2 3 4 5 6 7 8 9 10; do
    number=$((100 + RANDOM % 800))
    [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ] || break
  done
  export DISPLAY=":$number"
  Xvfb "$DISPLAY" -screen 0 "${QB_SCREEN:-1280x1024x24}" -nolisten tcp >>"$QB_ROOT/xvfb.log" 2>&1 &
  QB_XVFB_PID=$!
  QB_PIDS+=("$QB_XVFB_PID")
  qb_display_up() { kill -0 "$QB_XVFB_PID" 2>/dev/null && xdpyinfo >/dev/null 2>&1; }
  # A server that lost the race for the number exits; ours must still run.
  if ! QB_WAIT_TIMEOUT=10 qb_wait_for qb_display_up || ! kill -0 "$QB_XVFB_PID" 2>/dev/null; then
    qb_stop_display
    return 1
  fi
  icewm >>"$QB_ROOT/icewm.log" 2>&1 &
  QB_ICEWM_PID=$!
  QB_PIDS+=("$QB_ICEWM_PID")
  if ! QB_WAIT_TIMEOUT=15 qb_wait_for qb_wm_running; then
    qb_stop_display
    return 1
  fi
}

qb_stop_display() {
  local pid
  for pid in ${QB_ICEWM_PID:-} ${QB_XVFB_PID:-}; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  QB_ICEWM_PID=
  QB_XVFB_PID=
}

qb_wm_running() {
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# A fresh install folder: real copies (safes live beside the executable).
# Extra arguments name more files of the bin folder to copy (e.g. quillbox-cli).
qb_install() {
  QB_INSTALL="$QB_ROOT/install"
  mkdir -p "$QB_INSTALL"
  local name
  for name in quillbox quillbox.html "$@"; do
    [ -e "$QUILLBOX_BIN_DIR/$name" ] || qb_fail "missing $QUILLBOX_BIN_DIR/$name"
    cp "$QUILLBOX_BIN_DIR/$name" "$QB_INSTALL/$name"
  done
}

# The installed quillbox-cli (qb_install quillbox-cli), passwords from stdin.
qb_cli() { "$QB_INSTALL/quillbox-cli" --password-stdin "$@"; }

# Starts the installed quillbox (or the program given) in the background;
# QB_PID names it.
qb_start() {
  local program="${1:-$QB_INSTALL/quillbox}"
  [ $# -gt 0 ] && shift
  (cd "$QB_INSTALL" && exec "$program" "$@") >>"$QB_ROOT/quillbox.log" 2>&1 &
  QB_PID=$!
  QB_PIDS+=("$QB_PID")
}

qb_process_gone() { ! kill -0 "$1" 2>/dev/null; }

# Waits for a process started here to end; QB_STATUS is its exit status.
# (Not in a $(...) subshell: only this shell can collect the status.)
qb_wait_exit() {
  local pid=$1
  qb_wait_for qb_process_gone "$pid" || qb_fail "process $pid did not end"
  QB_STATUS=0
  wait "$pid" 2>/dev/null || QB_STATUS=$?
}

QB_REGEX_SPECIALS='s/[][\.*^$+?(){}|/]/\\&/g'
qb_title_regex() {
  local escaped
  escaped=$(printf '%s' "$1" | sed "$QB_REGEX_SPECIALS")
  printf '^%s$' "$escaped"
}

# Visible windows whose title is exactly $1, one id a line.
qb_find_windows() {
  xdotool search --onlyvisible --name "$(qb_title_regex "$1")" 2>/dev/null || true
}

# Waits until a visible window titled exactly $1 exists; echoes its id.
qb_wait_window() {
  local title=$1 ids
  qb_has_window() { ids=$(qb_find_windows "$title"); [ -n "$ids" ]; }
  qb_wait_for qb_has_window || qb_fail "no window \"$title\""
  echo "$ids" | head -n 1
}

# Waits until no visible window is titled exactly $1.
qb_wait_no_window() {
  local title=$1
  qb_no_window() { [ -z "$(qb_find_windows "$title")" ]; }
  qb_wait_for qb_no_window || qb_fail "window \"$title\" is still there"
}

qb_count_windows() { qb_find_windows "$1" | grep -c . || true; }

# xdotool's --sync waits without a deadline; these give it one.
qb_xdotool() { timeout 10 xdotool "$@"; }

qb_activate() {
  qb_xdotool windowactivate --sync "$1" >/dev/null 2>&1 || qb_xdotool windowfocus --sync "$1" || true
  qb_focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
  local holder
  if ! qb_wait_for qb_focused "$1"; then
    holder=$(xdotool getwindowfocus 2>/dev/null || true)
    qb_fail "window $1 did not take the focus; window $holder (\"$(xdotool getwindowname "$holder" 2>/dev/null || true)\") has it"
  fi
}

# Types text into window $1 (activated first) through the X test extension.
qb_type() {
  qb_activate "$1"
  xdotool type --delay 15 -- "$2"
}

# Presses keys (xdotool names: Return, Tab, ctrl+l, alt+f ...) in window $1.
qb_key() {
  local wid=$1
  shift
  qb_activate "$wid"
  xdotool key --delay 40 "$@"
}

# Opens a menu of window $1 with its key $2 (alt+f) and clicks its item whose
# text is $3 (without the mnemonic's '&' and the shortcut hint), found in the
# program's accessibility tree: no count of the items above it is assumed.
qb_menu() {
  local wid=$1 key=$2 text=$3 pid spot=""
  pid=$(xdotool getwindowpid "$wid") || qb_fail "window $wid has no process"
  qb_key "$wid" "$key"
  qb_item_shown() { spot=$(/usr/bin/python3 "$QB_E2E_DIR/menu_item.py" "$QB_A11Y_BUS" "$pid" "$text"); }
  qb_wait_for qb_item_shown || qb_fail "no menu item \"$text\" after $key"
  # --sync waits for a move, so the pointer leaves the spot first.
  xdotool mousemove 0 0 mousemove --sync $spot click 1
}

# Echoes "X Y WIDTH HEIGHT" of window $1's client area on the screen.
qb_geometry() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  echo "$X $Y $WIDTH $HEIGHT"
}

qb_move() { qb_xdotool windowmove --sync "$1" "$2" "$3"; }
qb_resize() { qb_xdotool windowsize --sync "$1" "$2" "$3"; }
qb_minimize() { qb_xdotool windowminimize --sync "$1"; }

qb_screenshot() { import -window root "$1"; }

# From the log-in dialog $1 (focus on its empty name field): past the
# password to "I am a new user", then name $2 and password $3. Both dialogs close and the new safe is open.
qb_create_user() {
  qb_key "$1" Tab Tab space
  local create
  create=$(qb_wait_window "Create new user")
  qb_type "$create" "$2"
  qb_key "$create" Tab
  qb_type "$create" "$3"
  qb_key "$create" Tab
  qb_type "$create" "$3"
  qb_key "$create" Return
  qb_wait_no_window "Create new user"
  qb_wait_no_window "Enter Password"
}

# Adds an entry through Ctrl+E in main window $1: description, user, password.
qb_add_entry() {
  local dialog title="Add a new account and password to the safe"
  qb_key "$1" ctrl+e
  dialog=$(qb_wait_window "$title")
  qb_type "$dialog" "$2"
  qb_key "$dialog" Tab
  qb_type "$dialog" "$3"
  qb_key "$dialog" Tab
  qb_type "$dialog" "$4"
  qb_key "$dialog" Return
  qb_wait_no_window "$title"
}

QB_CLIPBOARD_EMPTY="<nothing copied>"

qb_clipboard() { xclip -selection clipboard -o 2>/dev/null || true; }

qb_clipboard_copied() { [ "$(qb_clipboard)" != "$QB_CLIPBOARD_EMPTY" ]; }

# Presses keys in window $1, then ctrl+c, and echoes what was copied (empty
# when nothing was): qb_copy "$wid" ctrl+a reads a whole text field.
qb_copy() { qb_copy_with ctrl+c "$@"; }

# As qb_copy, with the copy key $1 before the window.
qb_copy_with() {
  local copy=$1 wid=$2
  shift 2
  # xclip stays behind to serve the text; it must not hold our output open.
  printf '%s' "$QB_CLIPBOARD_EMPTY" | xclip -selection clipboard -i >/dev/null 2>&1
  qb_key "$wid" "$@" "$copy"
  if QB_WAIT_TIMEOUT=5 qb_wait_for qb_clipboard_copied; then
    qb_clipboard
  fi
}

# Presses keys in the main window $1, then "Copy User Name" (ctrl+b), and
# echoes what it copied: the account user name of the row the keys chose.
qb_row_user() { qb_copy_with ctrl+b "$@"; }

# Presses keys in the main window $1, then "Copy Password" (ctrl+c).
qb_row_password() { qb_copy_with ctrl+c "$@"; }

# The clipboard's targets (MIME types and X atoms), one a line.
qb_clipboard_targets() { xclip -selection clipboard -o -t TARGETS 2>/dev/null || true; }

# Whether window $1 is minimised (iconic) in the window manager's eyes.
qb_is_minimized() {
  xprop -id "$1" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_HIDDEN
}

# Settings live in the user hive alone (see qb_init), in its text format.
qb_user_hive() { echo "$XDG_CONFIG_HOME/tarnwell/HKEY_CURRENT_USER.reg"; }

# Writes integer settings before a start: qb_set_setting_int Name value ...
# Lines end as the settings store writes them (LF).
# Each replaces any value of that name in the application's key.
qb_set_setting_int() {
  local hive lines=""
  hive=$(qb_user_hive)
  mkdir -p "$(dirname "$hive")"
  if [ ! -s "$hive" ]; then
    printf 'Windows Registry Editor Version 5.00\n\n[%s]\n' "$QB_HIVE_KEY" >"$hive"
  fi
  grep -qF "[$QB_HIVE_KEY]" "$hive" || printf '\n[%s]\n' "$QB_HIVE_KEY" >>"$hive"
  while [ $# -ge 2 ]; do
    local value=$(( $2 & 0xffffffff ))
    lines+=$(printf '"%s"=hex(0):%02x,%02x,%02x,%02x' "$1" \
      $((value & 255)) $(((value >> 8) & 255)) $(((value >> 16) & 255)) $(((value >> 24) & 255)))$'\n'
    shift 2
  done
  QB_KEY_LINE="[$QB_HIVE_KEY]" QB_LINES="$lines" awk '
    BEGIN { key = ENVIRON["QB_KEY_LINE"]; n = split(ENVIRON["QB_LINES"], add, "\n"); for (i = 1; i <= n; i++) if (add[i] != "") { split(add[i], kv, "="); drop[kv[1]] = 1 } }
    { plain = $0; sub(/\r$/, "", plain); split(plain, kv, "=") }
    (kv[1] in drop) && inkey { next }
    { print }
    plain ~ /^\[/ { inkey = (plain == key); if (inkey) for (i = 1; i <= n; i++) if (add[i] != "") printf "%s\n", add[i] }
  ' "$hive" >"$hive.new" && mv "$hive.new" "$hive"
}

# Echoes a signed integer setting from the user hive (empty when absent).
qb_setting_int() {
  [ -f "$(qb_user_hive)" ] || return 0
  QB_KEY_LINE="[$QB_HIVE_KEY]" awk -v name="\"$1\"" '
    function hex(t) { return index("0123456789abcdef", tolower(t)) - 1 }
    function byte(t) { return hex(substr(t, 1, 1)) * 16 + hex(substr(t, 2, 1)) }
    { sub(/\r$/, "") }
    /^\[/ { inkey = ($0 == ENVIRON["QB_KEY_LINE"]) }
    inkey && index($0, name "=") == 1 { line = substr($0, length(name) + 2) }
    END {
      if (line ~ /^dword:/) {
        v = 0; t = substr(line, 7)
        for (i = 1; i <= length(t); i++) v = v * 16 + hex(substr(t, i, 1))
      } else if (line ~ /^hex\(0\):/) {
        split(substr(line, 8), b, ",")
        v = byte(b[1]) + byte(b[2]) * 256 + byte(b[3]) * 65536 + byte(b[4]) * 16777216
      } else exit
      if (v >= 2147483648) v -= 4294967296
      printf "%d\n", v
    }' "$(qb_user_hive)"
}

# Echoes a string setting from the user hive (empty when absent).
qb_setting_string() {
  [ -f "$(qb_user_hive)" ] || return 0
  QB_KEY_LINE="[$QB_HIVE_KEY]" awk -v name="\"$1\"" '
    { sub(/\r$/, "") }
    /^\[/ { inkey = ($0 == ENVIRON["QB_KEY_LINE"]) }
    inkey && index($0, name "=\"") == 1 { line = substr($0, length(name) + 3); sub(/"$/, "", line) }
    END { gsub(/\\\\/, "\\", line); gsub(/\\"/, "\"", line); if (line != "") print line }' "$(qb_user_hive)"
}

qb_assert_eq() {
  [ "$1" = "$2" ] || qb_fail "${3:-value}: expected \"$2\", got \"$1\""
}
