#!/usr/bin/env bash
# Copy and clear in the real program: "Copy Password" (ctrl+c) and "Copy
# User Name" (ctrl+b) go to the clipboard with the password-manager hint,
# never to the primary selection; with Clipboard_Clear_Seconds 8 the copy is
# gone after about 9 s, but what the user copied in between stays; no key
# copies a cell the way Qt's item views do by themselves.
. "$(dirname "$0")/harness.sh"
qb_init
qb_install
# Long enough that the checks of a copy, each an X client of its own,
# finish before the clearing on a busy machine.
qb_set_setting_int Clipboard_Clear_Seconds 8

qb_start
login=$(qb_wait_window "Enter Password")
qb_create_user "$login" "alice" "correct horse"
main=$(qb_wait_window "$QB_TITLE_MAIN")
qb_add_entry "$main" "Bank" "jdoe" "s3cr3t"
qb_add_entry "$main" "Mail" "alice@example.com" "pa55word"

qb_primary() { xclip -selection primary -o 2>/dev/null || true; }
qb_clipboard_empty() { [ -z "$(qb_clipboard)" ]; }

# Sorted by user name: Mail first. Select it and copy its password.
printf 'before' | xclip -selection primary -i >/dev/null 2>&1
start=$SECONDS
qb_assert_eq "$(qb_row_password "$main" ctrl+Home ctrl+space)" "pa55word" "copied password"
qb_clipboard_targets | grep -qx 'x-kde-passwordManagerHint' || qb_fail "no hint among: $(qb_clipboard_targets | tr '\n' ' ')"
qb_assert_eq "$(xclip -selection clipboard -o -t x-kde-passwordManagerHint 2>/dev/null)" "secret" "hint"
qb_assert_eq "$(qb_primary)" "before" "primary selection"
QB_WAIT_TIMEOUT=20 qb_wait_for qb_clipboard_empty || qb_fail "the password is still on the clipboard"
elapsed=$((SECONDS - start))
[ "$elapsed" -ge 7 ] || qb_fail "cleared after ${elapsed}s, before its time"

# What the user copies meanwhile is left alone.
qb_assert_eq "$(qb_row_user "$main" ctrl+Home)" "alice@example.com" "copied user name"
printf 'my own note' | xclip -selection clipboard -i >/dev/null 2>&1
sleep 9.5
qb_assert_eq "$(qb_clipboard)" "my own note" "the user's own copy"

# Two rows selected: neither copy command nor the view copies anything.
qb_assert_eq "$(qb_row_password "$main" ctrl+a)" "" "copy with two rows selected"
qb_assert_eq "$(qb_copy_with ctrl+Insert "$main")" "" "ctrl+Insert with two rows selected"

# The copy from the list's context menu (Menu key), then exit clears it.
qb_key "$main" ctrl+Home Down Up
qb_assert_eq "$(qb_copy_with u "$main" Menu)" "alice@example.com" "context menu copy"
# A password selected in a field never reaches the primary selection,
# though X11 line edits put every selection there.
qb_key "$main" ctrl+e
dialog=$(qb_wait_window "Add a new account and password to the safe")
qb_type "$dialog" "descr"
qb_key "$dialog" shift+Home
qb_primary_is() { [ "$(qb_primary)" = "$1" ]; }
QB_WAIT_TIMEOUT=5 qb_wait_for qb_primary_is "descr" || qb_fail "a plain field's selection is not in the primary selection"
qb_key "$dialog" Tab Tab
qb_type "$dialog" "n3w-s3cr3t"
qb_key "$dialog" shift+Home
sleep 0.5
[ "$(qb_primary)" != "n3w-s3cr3t" ] || qb_fail "the selected password is in the primary selection"
qb_key "$dialog" Escape
qb_wait_no_window "Add a new account and password to the safe"

qb_key "$main" alt+f x
qb_wait_exit "$QB_PID"
qb_assert_eq "$QB_STATUS" 0 "exit status"
qb_assert_eq "$(qb_clipboard)" "" "clipboard after exit"
qb_log "PASS"
