#!/usr/bin/env bash
# `quillbox-cli clip` on a real X display: the password (or with
# --user-name the user name) is on the clipboard with the password-manager
# hint, never on the primary selection, and is cleared after
# Clipboard_Clear_Seconds; a copy the user makes in between ends the
# command at once and is left alone. A copy handed to xclip, which cannot
# carry the hint, says so on standard error.
. "$(dirname "$0")/harness.sh"
qb_init
qb_install quillbox-cli
printf 'pw\n' | qb_cli create alice
printf 'pw\ns3cr3t\n' | qb_cli add alice Bank jdoe
# Long enough that the checks below, each an X client of its own, finish
# before the clearing on a busy machine.
qb_set_setting_int Clipboard_Clear_Seconds 10
qb_clipboard_has() { [ "$(qb_clipboard)" = "$1" ]; }

printf 'pw\n' | qb_cli clip alice 1 >"$QB_ROOT/clip.out" &
clip_pid=$!
QB_PIDS+=("$clip_pid")
qb_wait_for qb_clipboard_has "s3cr3t" || qb_fail "the password never reached the clipboard"
[ "$(xclip -selection primary -o 2>/dev/null || true)" != "s3cr3t" ] || qb_fail "the password is in the primary selection"
qb_clipboard_targets | grep -qx 'x-kde-passwordManagerHint' || qb_fail "no hint among: $(qb_clipboard_targets | tr '\n' ' ')"
qb_assert_eq "$(xclip -selection clipboard -o -t x-kde-passwordManagerHint 2>/dev/null)" "secret" "hint"
qb_wait_exit "$clip_pid"
qb_assert_eq "$QB_STATUS" 0 "clip exit status"
qb_assert_eq "$(qb_clipboard)" "" "clipboard after the clearing"
qb_assert_eq "$(cat "$QB_ROOT/clip.out")" $'Password copied; the clipboard is cleared in 10 s.\nClipboard cleared.' "clip output"

printf 'pw\n' | qb_cli clip alice 1 --user-name >"$QB_ROOT/clip.out" &
clip_pid=$!
QB_PIDS+=("$clip_pid")
qb_wait_for qb_clipboard_has "jdoe" || qb_fail "the user name never reached the clipboard"
printf 'my own note' | xclip -selection clipboard -i >/dev/null 2>&1
qb_wait_exit "$clip_pid"
qb_assert_eq "$QB_STATUS" 0 "clip exit status"
qb_assert_eq "$(qb_clipboard)" "my own note" "the user's own copy"
grep -q "left as it is" "$QB_ROOT/clip.out" || qb_fail "clip said: $(cat "$QB_ROOT/clip.out")"

qb_set_setting_int Clipboard_Clear_Seconds 0
printf 'pw\n' | qb_cli clip alice 1 >"$QB_ROOT/clip.out" 2>"$QB_ROOT/clip.err" || qb_fail "clip through xclip failed"
qb_wait_for qb_clipboard_has "s3cr3t" || qb_fail "the password never reached the clipboard through xclip"
grep -q "xclip cannot mark the copy as a password" "$QB_ROOT/clip.err" ||
  qb_fail "no warning that the hint is missing: $(cat "$QB_ROOT/clip.err")"
qb_log "PASS"
