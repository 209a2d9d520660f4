#!/usr/bin/env bash
# A whole entry through the real window on a strong safe: the designed three
# fields, then Tab past Generate into the web address, notes and one-time
# code; "Copy One-Time Code" (ctrl+t) puts the code of that moment on the
# clipboard, equal to oathtool's, and the context menu copies the web address.
. "$(dirname "$0")/harness.sh"
qb_init
qb_install
command -v oathtool >/dev/null || qb_fail "oathtool is missing (scripts/setup installs it)"
secret=JBSWY3DPEHPK3PXP

qb_start
login=$(qb_wait_window "Enter Password")
qb_create_user "$login" "alice" "correct horse"
main=$(qb_wait_window "$QB_TITLE_MAIN")

title="Add a new account and password to the safe"
qb_key "$main" ctrl+e
dialog=$(qb_wait_window "$title")
qb_type "$dialog" "Bank"
qb_key "$dialog" Tab
qb_type "$dialog" "jdoe"
qb_key "$dialog" Tab
qb_type "$dialog" "s3cr3t"
qb_key "$dialog" Tab Tab
qb_type "$dialog" "https://bank.example/login"
qb_key "$dialog" Tab
qb_type "$dialog" "recovery codes"
qb_key "$dialog" Tab
qb_type "$dialog" "$secret"
qb_key "$dialog" Return
qb_wait_no_window "$title"

before=$(oathtool --totp -b "$secret")
code=$(qb_copy_with ctrl+t "$main" ctrl+Home)
after=$(oathtool --totp -b "$secret")
[ "$code" = "$before" ] || [ "$code" = "$after" ] || qb_fail "one-time code: got \"$code\", oathtool said $before/$after"
qb_clipboard_targets | grep -qx 'x-kde-passwordManagerHint' || qb_fail "the code went without the secret hint"

qb_assert_eq "$(qb_copy_with w "$main" ctrl+Home Menu)" "https://bank.example/login" "context menu web address"

qb_key "$main" alt+f x
qb_wait_exit "$QB_PID"
qb_assert_eq "$QB_STATUS" 0 "exit status"
qb_log "PASS"
