#!/usr/bin/env bash
# After a lock, and after a log-out, no copy of an entry's password or of the
# log-in password is left anywhere in the program's memory (UTF-8 or UTF-16,
# live or freed): every place the passwords passed through (all rows shown,
# a copy, the filter, the edit dialog) has let go of them.
. "$(dirname "$0")/harness.sh"
if [ "$(id -u)" -ne 0 ] && [ "$(cat /proc/sys/kernel/yama/ptrace_scope 2>/dev/null || echo 0)" != 0 ]; then
  echo "skipped: reading another process's memory is not allowed here"
  exit 77
fi
qb_init
qb_install

login_password="Lq7-LoginWord-x93"
first="Ep4-FirstWord-k21"
second="Ep8-OtherWord-m56"
scan() { python3 "$QB_E2E_DIR/scan_memory.py" "$QB_PID" "$login_password" "$first" "$second"; }

qb_start
login=$(qb_wait_window "Enter Password")
qb_create_user "$login" "alice" "$login_password"
main=$(qb_wait_window "$QB_TITLE_MAIN")
qb_add_entry "$main" "Bank" "jdoe" "$first"
qb_add_entry "$main" "Mail" "jd" "$second"

# Every password shown, one copied, the filter used, the edit dialog opened
# on a revealed row and cancelled.
qb_key "$main" ctrl+a
qb_assert_eq "$(qb_row_password "$main" ctrl+Home ctrl+space)" "$first" "copied password"
qb_key "$main" ctrl+f
qb_type "$main" "ma"
qb_key "$main" Tab Home ctrl+space
qb_key "$main" alt+p e
edit=$(qb_wait_window "Edit this account and password in your safe")
qb_key "$edit" Escape
qb_wait_no_window "Edit this account and password in your safe"
qb_key "$main" ctrl+a

qb_key "$main" ctrl+shift+l
qb_wait_window "Enter Password" >/dev/null
sleep 1
left=$(scan)
[ -z "$left" ] || qb_fail "after the lock the memory still holds:"$'\n'"$left"

# Back in, then out: the same holds after a log-out.
login=$(qb_wait_window "Enter Password")
qb_type "$login" "$login_password"
qb_key "$login" Return
qb_wait_no_window "Enter Password"
main=$(qb_wait_window "$QB_TITLE_MAIN")
qb_key "$main" ctrl+a
qb_menu "$main" alt+f "Log Out"
sleep 1
left=$(scan)
[ -z "$left" ] || qb_fail "after the log-out the memory still holds:"$'\n'"$left"

qb_key "$main" alt+f x
qb_wait_exit "$QB_PID"
qb_log "PASS"
