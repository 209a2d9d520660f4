#!/usr/bin/env bash
# The installed package as an ordinary user (run by test_install.sh from a
# folder holding this script and the e2e harness): quillbox-cli keeps the
# safe in ~/.local/share/quillbox/, the window started from the desktop
# entry's Exec line opens it and finds its help page, and a copy of
# quillbox-cli in a writable folder keeps its safes beside itself.
here=$(cd "$(dirname "$0")" && pwd)
. "$here/harness.sh"
. "$here/desktop_helpers.sh"
app_id=com.tarnwell.Quillbox
entry=/usr/share/applications/$app_id.desktop
user_home=$HOME
data="$user_home/.local/share/quillbox"
password="e2e-not-a-secret"

cli() { quillbox-cli --password-stdin "$@"; }
printf '%s\n' "$password" | cli create alice || qb_fail "create"
printf '%s\n%s\n' "$password" "entry-pw" | cli add alice Bank jdoe || qb_fail "add"
listed=$(printf '%s\n' "$password" | cli list alice) || qb_fail "list"
qb_assert_eq "$listed" $'1\tBank\tjdoe' "list"
[ -f "$data/alice.SAFE" ] || qb_fail "no safe in $data: $(ls -la "$data" 2>&1)"
qb_assert_eq "$(stat -c %a "$data")" 700 "mode of $data"
quillbox-cli settings | grep -qF "$data" || qb_fail "settings do not name $data: $(quillbox-cli settings)"

# A portable copy in a folder the user may write keeps its safes beside itself.
portable="$user_home/portable"
mkdir -p "$portable"
cp /usr/bin/quillbox-cli "$portable/"
printf '%s\n' "$password" | "$portable/quillbox-cli" --password-stdin create carol || qb_fail "portable create"
[ -f "$portable/carol.SAFE" ] || qb_fail "the portable copy's safe is not beside it"
[ ! -e "$data/carol.SAFE" ] || qb_fail "the portable copy wrote into $data"

qb_init
# The harness gives the display its own HOME; the window is the user's.
export HOME=$user_home XDG_CONFIG_HOME=$user_home/.config XDG_DATA_HOME=$user_home/.local/share
dt_fake_launchers
exec_line=$(sed -n 's/^Exec=//p' "$entry")
# Field codes (%f, %U ...) stand for what a launcher passes; nothing here.
read -r -a command <<<"${exec_line//%[fFuUdDnNickvm]/}"
QB_INSTALL=$user_home
qb_start "${command[@]}"

login=$(qb_wait_window "Enter Password")
qb_type "$login" "alice"
qb_key "$login" Tab
qb_type "$login" "$password"
qb_key "$login" Return
qb_wait_no_window "Enter Password"
main=$(qb_wait_window "$QB_TITLE_MAIN")

wm_class=$(xprop -id "$main" WM_CLASS | sed -n 's/.*= "[^"]*", "\([^"]*\)"$/\1/p')
qb_assert_eq "$wm_class" "$(sed -n 's/^StartupWMClass=//p' "$entry")" "window class against StartupWMClass"

qb_key "$main" ctrl+a alt+p e
edit=$(qb_wait_window "Edit this account and password in your safe")
qb_assert_eq "$(qb_copy "$edit" ctrl+a)" "Bank" "the entry the window shows"
qb_key "$edit" Escape
qb_wait_no_window "Edit this account and password in your safe"

qb_key "$main" alt+h Return
qb_wait_for grep -q '^xdg-open|' "$DT_OPENED_LOG" || qb_fail "help page not opened"
qb_assert_eq "$(cat "$DT_OPENED_LOG")" "xdg-open|file:///usr/share/doc/quillbox/quillbox.html" "help page opened"

qb_key "$main" alt+f x
qb_wait_exit "$QB_PID"
qb_assert_eq "$QB_STATUS" 0 "exit status"
qb_log "PASS"
