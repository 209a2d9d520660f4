#!/usr/bin/env bash
# Auto-type into a real program: xterm forms that read what is typed into a
# file. Perform Auto-Type (ctrl+shift+v) types into the window the user came
# from, non-ASCII letters and characters the keyboard map lacks included, and
# leaves the keyboard map as it was; the global shortcut with two fitting
# entries opens the chooser, where Enter types the chosen one; {TOTP} types
# oathtool's code of that moment; an unknown placeholder types nothing; and
# typing stops when another window becomes active in the middle of it.
# Another program that holds the keyboard gets no key, nor does one that
# tries to take it during the typing; Caps Lock, Num Lock and a second
# layout's group change nothing typed; a typing killed midway leaves spare
# keycodes mapped, which the next start empties by its private record.
. "$(dirname "$0")/harness.sh"
qb_init
qb_install quillbox-cli x_keyboard_grab
for tool in xterm oathtool xmodmap xset setxkbmap; do
  command -v "$tool" >/dev/null || qb_fail "$tool is missing (scripts/setup installs it)"
done
secret=JBSWY3DPEHPK3PXP
tricky='pä ß€ x!@#$%^&*()_+{}|:"<>?~`Łő'

printf 'pw\n' | qb_cli create alice
add() { printf 'pw\n%s\n' "$3" | qb_cli add alice "$1" "$2" "${@:4}" >/dev/null || qb_fail "add $1"; }
add "Form Login" "jdoé" "$tricky"
add "Chooser One" "one" "first-pass"
add "Chooser Two" "two" "second-pass"
printf 'pw\nc\n%s\n' "$secret" | qb_cli add alice "Code Form" "c" --totp >/dev/null || qb_fail "add Code Form"
add "Broken Form" "b" "x"
printf 'pw\n{TOTP}{ENTER}\n' | qb_cli field alice 4 AutoType || qb_fail "field AutoType"
printf 'pw\n{USERNAME}{BOGUS}\n' | qb_cli field alice 5 AutoType || qb_fail "field AutoType"
add "Delayed Form" "lateuser" "latepass"
printf 'pw\n{USERNAME}{DELAY 8000}{PASSWORD}{ENTER}\n' | qb_cli field alice 6 AutoType || qb_fail "field AutoType"
add "Busy Form" "slowuser" "slow-Pass9"
printf 'pw\n{DELAY=150}{USERNAME}{TAB}{PASSWORD}{ENTER}\n' | qb_cli field alice 7 AutoType || qb_fail "field AutoType"
add "Caps Form" "Secret-User" "Secret-Pass1ő"
add "Cut Form" "k" "Łőx"
printf 'pw\n{PASSWORD}{DELAY 10000}{DELAY 10000}{DELAY 10000}{ENTER}\n' | qb_cli field alice 9 AutoType || qb_fail "field AutoType"
qb_set_setting_int Last_Sort 0
printf '"Last_Username"="alice"\n' >>"$(qb_user_hive)"

# An xterm titled $1 that writes the first line typed into it to file $2.
form() {
  LC_ALL=C.UTF-8 xterm -T "$1" -e bash -c 'IFS= read -r line && printf "%s\n" "$line" >"$0.new" && mv "$0.new" "$0"' \
    "$2" >>"$QB_ROOT/xterm.log" 2>&1 &
  QB_PIDS+=("$!")
  qb_wait_window "$1"
}
# An xterm titled $1 that writes each key typed into it to file $2 at once.
keys_form() {
  LC_ALL=C.UTF-8 xterm -T "$1" -e bash -c 'stty -icanon -echo && exec cat >"$0"' "$2" >>"$QB_ROOT/xterm.log" 2>&1 &
  QB_PIDS+=("$!")
  qb_wait_window "$1"
}
# Starts the other program that takes the keyboard; GRABBER names it.
start_grabber() {
  : >"$QB_ROOT/grab.log"
  "$QB_INSTALL/x_keyboard_grab" "$QB_ROOT/grab.log" &
  GRABBER=$!
  QB_PIDS+=("$GRABBER")
}
grabbed() { grep -qx grabbed "$QB_ROOT/grab.log"; }
stop_grabber() {
  kill "$GRABBER"
  wait "$GRABBER" 2>/dev/null || true
  grep -q '^key' "$QB_ROOT/grab.log" && qb_fail "the program holding the keyboard got $(grep -c '^key' "$QB_ROOT/grab.log") keys"
  true
}
keymap_is() { [ "$(xmodmap -pke)" = "$1" ]; }
typed() {
  local file=$1
  qb_has_file() { [ -s "$file" ]; }
  qb_wait_for qb_has_file || qb_fail "nothing was typed into $file"
  cat "$file"
}

keymap_before=$(xmodmap -pke)
first=$(form "Form Login - Sign in" "$QB_ROOT/first")
qb_start
login=$(qb_wait_window "Enter Password")
# The name is offered; the focus is on the password.
qb_type "$login" "pw"
qb_key "$login" Return
main=$(qb_wait_window "$QB_TITLE_MAIN")

# The form was the window before Quillbox's; the list is sorted by
# description, so Form Login is the last row.
qb_activate "$first"
qb_key "$main" ctrl+End Up Down ctrl+shift+v
qb_assert_eq "$(typed "$QB_ROOT/first")" "jdoé	$tricky" "typed by the menu command"
qb_wait_for keymap_is "$keymap_before" || qb_fail "the keyboard map differs after typing"

second=$(form "Chooser One or Chooser Two?" "$QB_ROOT/second")
qb_key "$second" ctrl+alt+a
chooser=$(qb_wait_window "Auto-Type")
qb_type "$chooser" "two"
qb_key "$chooser" Return
qb_assert_eq "$(typed "$QB_ROOT/second")" "two	second-pass" "typed through the chooser"

third=$(form "Code Form" "$QB_ROOT/third")
before=$(oathtool --totp -b "$secret")
qb_key "$third" ctrl+alt+a
code=$(typed "$QB_ROOT/third")
after=$(oathtool --totp -b "$secret")
[ "$code" = "$before" ] || [ "$code" = "$after" ] || qb_fail "one-time code: typed \"$code\", oathtool said $before/$after"

fourth=$(form "Broken Form" "$QB_ROOT/fourth")
qb_key "$fourth" ctrl+alt+a
error=$(qb_wait_window "ERROR")
qb_key "$error" Return
qb_wait_no_window "ERROR"
sleep 1
[ ! -e "$QB_ROOT/fourth" ] || qb_fail "a sequence with an unknown placeholder typed: $(cat "$QB_ROOT/fourth")"

# The user moves to another window while the sequence pauses: the password
# goes nowhere, neither into the form nor into the other window.
fifth=$(keys_form "Delayed Form" "$QB_ROOT/fifth")
bystander=$(form "Bystander" "$QB_ROOT/bystander")
qb_key "$fifth" ctrl+alt+a
user_typed() { [ "$(cat "$QB_ROOT/fifth")" = lateuser ]; }
qb_wait_for user_typed || qb_fail "the user name was not typed: \"$(cat "$QB_ROOT/fifth")\" arrived"
qb_activate "$bystander"
# The typing tells that it stopped once the pause is over and it lets go of
# the keyboard.
stopped=$(qb_wait_window "ERROR")
qb_key "$stopped" Return
qb_wait_no_window "ERROR"
qb_type "$bystander" "end"
qb_key "$bystander" Return
qb_assert_eq "$(typed "$QB_ROOT/bystander")" "end" "the other window"
qb_key "$fifth" Return
qb_assert_eq "$(typed "$QB_ROOT/fifth")" "lateuser" "typed before the switch"

# Another program holds the keyboard when the user picks Perform Auto-Type
# with the mouse: nothing is typed, and the user is told.
held=$(form "Held Form" "$QB_ROOT/held")
qb_activate "$main"
qb_key "$main" ctrl+End Up Down
start_grabber
qb_wait_for grabbed || qb_fail "the other program could not take the keyboard"
# The menu is opened with the mouse, found by its text.
spot=""
menu_spot() { spot=$(/usr/bin/python3 "$QB_E2E_DIR/menu_item.py" "$QB_A11Y_BUS" "$QB_PID" "$1"); }
qb_wait_for menu_spot Passwords || qb_fail "no Passwords menu"
xdotool mousemove 0 0 mousemove --sync $spot click 1
qb_wait_for menu_spot "Perform Auto-Type" || qb_fail "no Perform Auto-Type in the Passwords menu"
xdotool mousemove 0 0 mousemove --sync $spot click 1
error=$(qb_wait_window "ERROR")
stop_grabber
qb_key "$error" Return
qb_wait_no_window "ERROR"
qb_key "$held" Return
qb_assert_eq "$(typed "$QB_ROOT/held")" "" "typed while another program held the keyboard"

# A program that tries to take the keyboard while the typing runs gets it
# only once the typing is done.
slow=$(keys_form "Busy Form" "$QB_ROOT/slow")
qb_key "$slow" ctrl+alt+a
began() { [ -s "$QB_ROOT/slow" ]; }
qb_wait_for began || qb_fail "nothing was typed into the slow form"
start_grabber
ended() { [ "$(tail -c 1 "$QB_ROOT/slow" | od -An -c | tr -d ' ')" = '\n' ]; }
qb_wait_for ended || qb_fail "the typing did not end: \"$(cat "$QB_ROOT/slow")\" arrived"
qb_wait_for grabbed || qb_fail "the other program never took the keyboard"
stop_grabber
qb_assert_eq "$(cat "$QB_ROOT/slow")" "slowuser	slow-Pass9" "typed while another program tried to take the keyboard"

# Caps Lock and Num Lock on, and the second group of two layouts locked:
# the same characters arrive, and the locks stay as the user left them.
# (The keys go to the busy form, which has had its text.)
setxkbmap -layout us,ru -option grp:menu_toggle
qb_key "$slow" Caps_Lock Num_Lock Menu
locks_on() { xset q | grep -q 'Caps Lock: *on .*Num Lock: *on'; }
qb_wait_for locks_on || qb_fail "Caps Lock and Num Lock did not go on"
caps=$(form "Caps Form" "$QB_ROOT/caps")
qb_key "$caps" ctrl+alt+a
qb_assert_eq "$(typed "$QB_ROOT/caps")" "Secret-User	Secret-Pass1ő" "typed with the locks on"
# The locks come back once the last key is typed, a moment after the form has it.
qb_wait_for locks_on || qb_fail "the locks are not as the user left them"
qb_key "$slow" Caps_Lock Num_Lock
setxkbmap -layout us -option ''

# A typing killed midway leaves its spare keycodes mapped; the next start
# empties them by the record, which is private and names no character.
keymap_before=$(xmodmap -pke)
killed=$(form "Cut Form" "$QB_ROOT/killed")
qb_key "$killed" ctrl+alt+a
keymap_changed() { ! keymap_is "$keymap_before"; }
qb_wait_for keymap_changed || qb_fail "the typing mapped no spare keycode"
record="$XDG_RUNTIME_DIR/quillbox/auto-type-keycodes"
qb_assert_eq "$(stat -c %a "$record")" 600 "the record's mode"
grep -qF -e Ł -e ő "$record" && qb_fail "the record names a character: $(cat "$record")"
kill -9 "$QB_PID"
qb_wait_exit "$QB_PID"
keymap_changed || qb_fail "the killed typing left the keyboard map as it was"
qb_start
qb_wait_for keymap_is "$keymap_before" || qb_fail "the next start did not restore the keyboard map"
[ ! -e "$record" ] || qb_fail "the record is still there"

kill "$QB_PID"
qb_log "PASS"
