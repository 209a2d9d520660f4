#!/usr/bin/env bash
# Natively under Wayland: a headless sway (wlroots), Qt's Wayland platform,
# no X server. The splash floats at its picture's size; log in; "Copy
# Password" reaches the clipboard with the password-manager hint and is
# cleared; the screen saver's ActiveChanged(true) on a private session bus
# locks; a second start, given an activation token as a launcher gives one,
# brings the window forward (sway's tree says which window has the focus);
# the window's size is saved, its position saved under X11 kept, and no
# tray warning is printed.
# sway refuses root: as root the test runs itself as a throwaway user.
set -euo pipefail
script=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
: "${QUILLBOX_BIN_DIR:?QUILLBOX_BIN_DIR must name the bin folder of a build}"

for program in sway swaymsg wtype wl-paste dbus-daemon gdbus python3; do
  command -v "$program" >/dev/null || { echo "skipped: $program is not installed"; exit 77; }
done
[ -x "$QUILLBOX_BIN_DIR/wl_activation_token" ] || { echo "skipped: built without the Wayland client library"; exit 77; }

if [ "$(id -u)" -eq 0 ]; then
  command -v useradd >/dev/null || { echo "skipped: no useradd to make a user for sway"; exit 77; }
  user="qbway$$"
  work=$(mktemp -d /tmp/quillbox-wayland.XXXXXX)
  useradd --no-create-home --home-dir "$work" --shell /bin/bash --user-group "$user"
  trap 'userdel "$user" 2>/dev/null || true; rm -rf "$work"' EXIT
  mkdir "$work/bin"
  for name in quillbox quillbox.html quillbox-cli wl_activation_token; do
    cp "$QUILLBOX_BIN_DIR/$name" "$work/bin/"
  done
  cp "$script" "$(dirname "$script")/harness.sh" "$work/"
  chown -R "$user:" "$work"
  chmod 0755 "$work"
  status=0
  runuser -u "$user" -- env -i HOME="$work" USER="$user" LOGNAME="$user" PATH=/usr/bin:/bin TMPDIR="$work" \
    QUILLBOX_BIN_DIR="$work/bin" bash "$work/$(basename "$script")" || status=$?
  exit "$status"
fi

. "$(dirname "$script")/harness.sh"

# The harness's own start is an X display; this one is sway's.
qb_init_folders
unset DISPLAY WAYLAND_DISPLAY SWAYSOCK
qb_start_session_bus

# A window that asks to be activated with a valid token gets the focus.
cat >"$QB_ROOT/sway.conf" <<EOF
output HEADLESS-1 resolution 1280x1024
focus_on_window_activation focus
xwayland disable
EOF
WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
  sway --config "$QB_ROOT/sway.conf" >>"$QB_ROOT/sway.log" 2>&1 &
QB_PIDS+=("$!")
sway_up() {
  local socket
  socket=$(find "$XDG_RUNTIME_DIR" -maxdepth 1 -name 'wayland-*' -type s | head -n 1)
  SWAYSOCK=$(find "$XDG_RUNTIME_DIR" -maxdepth 1 -name 'sway-ipc.*.sock' -type s | head -n 1)
  [ -n "$socket" ] && [ -n "$SWAYSOCK" ] && export WAYLAND_DISPLAY=${socket##*/} SWAYSOCK &&
    swaymsg -t get_version >/dev/null 2>&1
}
QB_WAIT_TIMEOUT=20 qb_wait_for sway_up || qb_fail "sway did not start"
qb_log "sway on $WAYLAND_DISPLAY in $QB_ROOT"
# One virtual keyboard stays for the whole test: a keyboard that comes and
# goes with each short wtype run can lose its first key.
wtype -s 86400000 &
QB_PIDS+=("$!")

# The windows in sway's tree, one a line: focused (1 or 0), floating (1 or
# 0), width x height, then the title.
sway_windows() {
  swaymsg -t get_tree | python3 -c '
import json, sys
def walk(node, floating):
    if node.get("type") in ("con", "floating_con") and node.get("pid"):
        rect = node["rect"]
        print(int(node.get("focused", False)), int(floating), "%dx%d" % (rect["width"], rect["height"]), node.get("name") or "")
    for child in node.get("nodes", []):
        walk(child, floating)
    for child in node.get("floating_nodes", []):
        walk(child, True)
walk(json.load(sys.stdin), False)'
}
focused_title() { sway_windows | sed -n 's/^1 [01] [0-9x]* //p'; }
focused_is() { [ "$(focused_title)" = "$1" ]; }
wait_focused() { qb_wait_for focused_is "$1" || qb_fail "focused: \"$(focused_title)\", not \"$1\"; windows: $(sway_windows | tr '\n' ';')"; }
key() { wtype "$@"; }
clipboard() { wl-paste --no-newline 2>/dev/null || true; }
clipboard_empty() { [ -z "$(clipboard)" ]; }

qb_install quillbox-cli wl_activation_token
password="e2e-not-a-secret"
printf '%s\n' "$password" | qb_cli create alice
printf '%s\n%s\n' "$password" "s3cr3t" | qb_cli add alice Bank jdoe
qb_set_setting_int Last_Sort 0 Lock_After_Seconds 0 Lock_On_Screen_Lock 1 Clipboard_Clear_Seconds 2
# Where the window was under X11; a Wayland client is never told its place.
qb_set_setting_int Main_Window_Dim_x 300 Main_Window_Dim_y 40 Main_Window_Dim_dx 20 Main_Window_Dim_dy 20
printf '"Last_Username"="alice"\n' >>"$(qb_user_hive)"

log_in() {
  wait_focused "Enter Password"
  # The focus is on the password, after the name and "I am a new user".
  key "$password"
  key -k Return
  wait_focused "$QB_TITLE_MAIN"
}

export QT_QPA_PLATFORM=wayland
qb_start
# The splash: floating, at the size of its picture (1342 x 250, fitted to
# the 1280 pixels wide screen), not tiled over the screen.
splash_floats() { sway_windows | grep -q '^[01] 1 1152x214 '; }
QB_WAIT_TIMEOUT=10 qb_wait_for splash_floats || qb_fail "no floating splash; windows: $(sway_windows | tr '\n' ';')"
log_in

# Copy Password: on the clipboard with the hint, then gone.
key -M ctrl -k Home -m ctrl
key -M ctrl c -m ctrl
clipboard_is() { [ "$(clipboard)" = "$1" ]; }
QB_WAIT_TIMEOUT=5 qb_wait_for clipboard_is "s3cr3t" || qb_fail "clipboard: \"$(clipboard)\""
wl-paste --list-types | grep -qx 'x-kde-passwordManagerHint' || qb_fail "no hint among: $(wl-paste --list-types | tr '\n' ' ')"
qb_assert_eq "$(wl-paste --no-newline --type x-kde-passwordManagerHint)" "secret" "hint"
QB_WAIT_TIMEOUT=8 qb_wait_for clipboard_empty || qb_fail "the password is still on the clipboard"

# The desktop session locks.
gdbus emit --session --object-path /org/freedesktop/ScreenSaver \
  --signal org.freedesktop.ScreenSaver.ActiveChanged true >/dev/null
log_in

# Another workspace has the focus; a later start with a launcher's token
# brings the window back to it and ends.
swaymsg workspace 2 >/dev/null
nothing_focused() { [ -z "$(focused_title)" ]; }
qb_wait_for nothing_focused || qb_fail "the window kept the focus on another workspace"
first=$QB_PID
token=$("$QB_INSTALL/wl_activation_token") || qb_fail "no activation token"
XDG_ACTIVATION_TOKEN=$token qb_start
qb_wait_exit "$QB_PID"
qb_assert_eq "$QB_STATUS" 0 "exit status of the later start"
wait_focused "$QB_TITLE_MAIN"

key -M alt f -m alt
key x
qb_wait_exit "$first"
qb_assert_eq "$QB_STATUS" 0 "exit status"
qb_assert_eq "$(qb_setting_int Main_Window_Dim_x),$(qb_setting_int Main_Window_Dim_y)" "300,40" "position kept for X11"
[ "$(qb_setting_int Main_Window_Dim_dx)" -gt 20 ] || qb_fail "the size sway gave was not saved"
if grep -q 'systemTrayWindowChanged' "$QB_ROOT/quillbox.log"; then
  qb_fail "a tray warning: $(grep systemTrayWindowChanged "$QB_ROOT/quillbox.log")"
fi
qb_log "PASS"
