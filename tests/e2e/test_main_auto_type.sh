#!/usr/bin/env bash
# Auto-type into a real program: xterm forms that read what is typed into a
# file. Perform Auto-Type (ctrl+shift+v) types into the window the user came
# from, non-ASCII letters and characters the keyboard map lacks included, and
# leaves the keyboard map as it was; the global shortcut with two fitting
# entries opens the chooser, where Enter types the chosen one; {TOTP} types
# oathtool's code of that moment; an unknown placeholder types nothing; and
# typing stops when another window becomes active in the middle of it.
. "$(dirname "$0")/harness.sh"
qb_init
qb_install quillbox-cli
for tool in xterm oathtool xmodmap; do
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
printf 'pw\n{USERNAME}{DELAY 3000}{PASSWORD}{ENTER}\n' | qb_cli field alice 6 AutoType || qb_fail "field AutoType"
qb_set_setting_int Last_Sort 0
printf '"Last_Username"="alice"\n' >>"$(qb_user_hive)"

# An xterm titled $1 that writes the first line typed into it to file $2.
form() {
  LC_ALL=C.UTF-8 xterm -T "$1" -e bash -c 'IFS= read -r line && printf "%s\n" "$line" >"$0.new" && mv "$0.new" "$0"' \
    "$2" >>"$QB_ROOT/xterm.log" 2>&1 &
  QB_PIDS+=("$!")
  qb_wait_window "$1"
}
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
sleep 1
qb_assert_eq "$(xmodmap -pke)" "$keymap_before" "keyboard map after typing"

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
fifth=$(form "Delayed Form" "$QB_ROOT/fifth")
bystander=$(form "Bystander" "$QB_ROOT/bystander")
qb_key "$fifth" ctrl+alt+a
sleep 1.5
qb_activate "$bystander"
sleep 3
qb_type "$bystander" "end"
qb_key "$bystander" Return
qb_assert_eq "$(typed "$QB_ROOT/bystander")" "end" "the other window"
qb_key "$fifth" Return
qb_assert_eq "$(typed "$QB_ROOT/fifth")" "lateuser" "typed before the switch"

kill "$QB_PID"
qb_log "PASS"
