#!/usr/bin/env bash
# A change whose save fails (the safe's folder is a full file system) is told
# at once and stays in the list; exit asks instead of dropping it, Cancel
# keeps the window; once there is room again, exit saves it.
. "$(dirname "$0")/harness.sh"
. "$(dirname "$0")/sync_helpers.sh"
if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: mounting the small file system needs root"
  exit 77
fi
qb_init
qb_install quillbox-cli

safes="$QB_ROOT/safes"
mkdir -p "$safes"
mount -t tmpfs -o size=256k,mode=0700 quillbox-e2e-full "$safes" || { echo "skipped: no tmpfs mount here"; exit 77; }
# Lazily, so that a process still holding a file there cannot keep it mounted.
qb_unmount() { umount -l "$safes" 2>/dev/null || true; }
trap 'qb_unmount; qb_cleanup' EXIT
sync_write_hive Safe_Folder "$safes/"
qb_set_setting_int Last_Sort 0

qb_start
login=$(qb_wait_window "Enter Password")
qb_create_user "$login" "alice" "pw"
main=$(qb_wait_window "$QB_TITLE_MAIN")
qb_add_entry "$main" "Bank" "jdoe" "b1"

# Fill the file system: the next save cannot write its copy of the safe.
dd if=/dev/zero of="$safes/filler" bs=4k 2>/dev/null || true
qb_key "$main" ctrl+e
dialog=$(qb_wait_window "Add a new account and password to the safe")
qb_type "$dialog" "Mail"; qb_key "$dialog" Tab
qb_type "$dialog" "jd"; qb_key "$dialog" Tab
qb_type "$dialog" "m1"; qb_key "$dialog" Return
told=$(qb_wait_window "Not Saved")
qb_key "$told" Return
qb_wait_no_window "Not Saved"
qb_assert_eq "$(qb_row_user "$main" ctrl+End)" "jd" "the unsaved entry stays in the list"
qb_assert_eq "$(sync_list "$safes")" "$(printf '1\tBank\tjdoe')" "safe while the disk is full"

# Exit with the change unsaved asks; Cancel keeps the window and the change.
qb_key "$main" alt+f x
question=$(qb_wait_window "Unsaved Changes")
qb_key "$question" Escape
qb_wait_no_window "Unsaved Changes"
kill -0 "$QB_PID" || qb_fail "the program ended although the exit was cancelled"
qb_assert_eq "$(qb_row_user "$main" ctrl+End)" "jd" "the change after Cancel"

# Room again: exit now saves the change (or the retry timer already has).
rm -f "$safes/filler"
qb_key "$main" alt+f x
qb_wait_exit "$QB_PID"
qb_assert_eq "$QB_STATUS" 0 "exit status"
qb_assert_eq "$(sync_list "$safes")" "$(printf '1\tBank\tjdoe\n2\tMail\tjd')" "safe after the exit"
qb_log "PASS"
