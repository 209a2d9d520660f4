#!/usr/bin/env bash
# The window and a private ssh-agent: at log-in the safe's chosen SSH keys
# go to the agent named by SSH_AUTH_SOCK, and a private sshd on 127.0.0.1
# lets ssh in with them; the lock takes back exactly those (a key the user
# added stays) and ssh is refused; unlocking adds them again, and exit
# takes them back, and so do SIGTERM and SIGHUP. A key not to be added at
# log-in stays out.
. "$(dirname "$0")/harness.sh"
. "$QUILLBOX_SOURCE_DIR/tests/unit/ssh_agent/openssh_helpers.sh"
openssh_available || { echo "SKIP: OpenSSH is not installed"; exit 77; }
qb_init
trap 'openssh_stop; qb_cleanup' EXIT
qb_install quillbox-cli
keys=$QB_ROOT/keys
mkdir -m 700 "$keys"
openssh_start_agent "$keys" || qb_fail "ssh-agent did not start"

ssh-keygen -q -t ed25519 -N '' -C server -f "$keys/server"
ssh-keygen -q -t ecdsa -b 384 -N 'key-pass' -C laptop -f "$keys/laptop"
ssh-keygen -q -t ed25519 -N '' -C manual -f "$keys/manual"
ssh-keygen -q -t ed25519 -N '' -C theirs -f "$keys/theirs"
printf 'pw\n' | qb_cli create alice
printf 'pw\n\n' | qb_cli add alice Server "$(id -un)"
printf 'pw\nkey-pass\n' | qb_cli add alice Laptop me
printf 'pw\n\n' | qb_cli add alice Manual me
for i in 1 2 3; do
  name=$(echo server laptop manual | cut -d' ' -f$i)
  printf 'pw\n' | qb_cli ssh-key alice "$i" --load "$keys/$name" >/dev/null || qb_fail "ssh-key $name"
done
printf 'pw\nno\n' | qb_cli field alice 3 "SSH Add At Log-In"
cat "$keys/server.pub" >"$keys/authorized_keys"
openssh_start_sshd "$keys" "$keys/authorized_keys" || qb_fail "sshd did not start"
# The user's own key, added before Quillbox starts.
ssh-add -q "$keys/theirs"
theirs=$(openssh_fingerprint "$keys/theirs")
ours_and_theirs=$(printf '%s\n' "$(openssh_fingerprint "$keys/server")" "$(openssh_fingerprint "$keys/laptop")" \
  "$theirs" | sort)
listed_is() { [ "$(openssh_listed_fingerprints)" = "$1" ]; }

log_in() {
  local login
  login=$(qb_wait_window "Enter Password")
  # The last user's name is offered and the cursor waits in the password.
  qb_type "$login" "pw"
  qb_key "$login" Return
  qb_wait_no_window "Enter Password"
}

qb_set_setting_int Last_Sort 0
printf '"Last_Username"="alice"\n' >>"$(qb_user_hive)"
qb_start
log_in
main=$(qb_wait_window "$QB_TITLE_MAIN")
qb_wait_for listed_is "$ours_and_theirs" || qb_fail "after log-in the agent lists: $(openssh_listed)"
[ "$(openssh_try "$keys")" = logged-in ] || qb_fail "sshd refused the safe's key"

qb_key "$main" ctrl+shift+l
qb_wait_window "Enter Password" >/dev/null
qb_wait_for listed_is "$theirs" || qb_fail "after the lock the agent lists: $(openssh_listed)"
if openssh_try "$keys" >/dev/null; then qb_fail "ssh got in after the lock"; fi

log_in
qb_wait_for listed_is "$ours_and_theirs" || qb_fail "after unlocking the agent lists: $(openssh_listed)"
[ "$(openssh_try "$keys")" = logged-in ] || qb_fail "sshd refused the safe's key after unlocking"

qb_key "$main" alt+f x
qb_wait_exit "$QB_PID"
qb_assert_eq "$QB_STATUS" 0 "exit status"
listed_is "$theirs" || qb_fail "after exit the agent lists: $(openssh_listed)"

# Stopped by a signal (a session's end, `kill`), the program leaves as it
# does by File > Exit and says which signal it was. (A background job
# ignores SIGINT, so the harness cannot send that one.)
for signal in TERM HUP; do
  qb_start
  log_in
  qb_wait_window "$QB_TITLE_MAIN" >/dev/null
  qb_wait_for listed_is "$ours_and_theirs" || qb_fail "before SIG$signal the agent lists: $(openssh_listed)"
  kill -s "$signal" "$QB_PID"
  qb_wait_exit "$QB_PID"
  qb_assert_eq "$QB_STATUS" $((128 + $(kill -l "$signal"))) "exit status after SIG$signal"
  listed_is "$theirs" || qb_fail "after SIG$signal the agent lists: $(openssh_listed)"
done
qb_log "PASS"
