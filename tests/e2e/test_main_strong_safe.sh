#!/usr/bin/env bash
# A new user made through the dialogs gets a strong safe, with the real
# parameters; a legacy safe logs in, File > "Upgrade Safe Encryption..."
# turns it strong, and it logs in again with its entry.
. "$(dirname "$0")/harness.sh"
qb_init
qb_install quillbox-cli

strong_info=$'Format: strong (Argon2id, XChaCha20-Poly1305)\nArgon2id iterations: 3\nArgon2id memory: 262144 KiB'

printf 'old pw\n' | qb_cli create bob --legacy
printf 'old pw\ns3cr3t\n' | qb_cli add bob Bank jdoe
legacy_info=$(qb_cli info bob)

qb_start
login=$(qb_wait_window "Enter Password")
qb_create_user "$login" "alice" "correct horse"
main=$(qb_wait_window "$QB_TITLE_MAIN")
qb_assert_eq "$(qb_cli info alice)" "$strong_info" "a new user's safe"
qb_key "$main" alt+f x
qb_wait_exit "$QB_PID"

qb_log "alice is strong"
# bob's legacy safe. The focus is on the password, right after the name.
qb_start
login=$(qb_wait_window "Enter Password")
qb_key "$login" shift+Tab ctrl+a
qb_type "$login" "bob"
qb_key "$login" Tab
qb_type "$login" "old pw"
qb_key "$login" Return
qb_wait_no_window "Enter Password"
main=$(qb_wait_window "$QB_TITLE_MAIN")
qb_assert_eq "$(qb_cli info bob)" "$legacy_info" "still legacy after the log-in"

qb_log "bob logged in"
qb_menu "$main" alt+f "Upgrade Safe Encryption..."
question=$(qb_wait_window "Upgrade Safe Encryption")
qb_key "$question" Return                      # the default Yes
qb_wait_no_window "Upgrade Safe Encryption"
bob_is_strong() { [ "$(qb_cli info bob)" = "$strong_info" ]; }
qb_wait_for bob_is_strong || qb_fail "bob's safe is not strong: $(qb_cli info bob)"
qb_key "$main" alt+f x
qb_wait_exit "$QB_PID"
qb_assert_eq "$QB_STATUS" 0 "exit status"

qb_start
login=$(qb_wait_window "Enter Password")
qb_type "$login" "old pw"                       # bob is offered now
qb_key "$login" Return
qb_wait_no_window "Enter Password"
main=$(qb_wait_window "$QB_TITLE_MAIN")
qb_assert_eq "$(qb_row_user "$main" ctrl+Home)" "jdoe" "the entry after the upgrade"
qb_key "$main" alt+f x
qb_wait_exit "$QB_PID"
qb_assert_eq "$QB_STATUS" 0 "exit status"
qb_log "PASS"
