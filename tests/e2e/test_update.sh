#!/usr/bin/env bash
# A week after the last check, with "notify me automatically" stored, a build
# of Quillbox that trusts the test key finds the update on a loopback server,
# asks "Install New Update?", downloads it behind the progress dialog, starts
# the installer with the designed arguments and ends with status 0.
. "$(dirname "$0")/harness.sh"
. "$QUILLBOX_SOURCE_DIR/tests/unit/update/update_server.sh"

qb_init
qb_install quillbox_testkey quillbox-sign

server_root="$QB_ROOT/server"
record="$QB_ROOT/installer.args"
mkdir -p "$server_root/downloads"

# The installer records how it was started. The padding after its exit makes
# the download long enough to watch the progress dialog.
installer="$server_root/downloads/update10.exe"
printf '#!/bin/sh\nprintf "%%s\\n" "$0" "$@" > "%s.part" && mv "%s.part" "%s"\nexit 0\n' \
  "$record" "$record" "$record" >"$installer"
head -c 400000 /dev/zero >>"$installer"
"$QB_INSTALL/quillbox-sign" sign "$installer" "$QUILLBOX_SOURCE_DIR/tests/data/update/test_private.pem" \
  >"$server_root/downloads/update10.sig" || qb_fail "cannot sign the test installer"

qb_start_update_server "$server_root"
eight_days_ago=$(( $(date +%s) - 8 * 86400 ))
qb_set_setting_int Update_Check_Option 1 Last_Update_Check_Time "$eight_days_ago"
qb_point_at_update_server

qb_start "$QB_INSTALL/quillbox_testkey"

offer=$(qb_wait_window "Install New Update?")
qb_key "$offer" alt+y
qb_wait_window "Downloading Software Update...." >/dev/null

# Waited for here, not in a subshell, which could not collect its status.
qb_wait_for qb_process_gone "$QB_PID" || qb_fail "quillbox did not end"
status=0
wait "$QB_PID" || status=$?
[ "$status" = 0 ] || qb_fail "quillbox ended with status $status"

QB_WAIT_TIMEOUT=10 qb_wait_for test -s "$record" || qb_fail "the installer did not run"
private_dir="$TMPDIR/quillbox-$(id -u)"
# Started from the checked file's open descriptor, the script is /dev/fd/3 to its interpreter.
expected=$(printf '%s\n' "/dev/fd/3" "/silent" "/sigfile=$private_dir/newupdate.sig")
[ "$(cat "$record")" = "$expected" ] || qb_fail "installer arguments: $(cat "$record")"
cmp -s "$installer" "$private_dir/newupdate.exe" || qb_fail "installer saved wrongly"
grep -q '"user_agent": "QuillAutoUpdateFetch"' "$server_root/requests.log" || qb_fail "designed request not seen"

# The check time was stored when the check started.
stored=$(qb_setting_int Last_Update_Check_Time)
[ "$stored" -gt "$eight_days_ago" ] || qb_fail "check time not stored ($stored)"

qb_log "update installed through the test installer"
echo "test_update: 1 passed, 0 failed"
