#!/usr/bin/env bash
# Makes docs/screenshots/main-window.png from the real program: a user with
# a few entries, a filter typed, one row selected so its password shows and
# its password just copied, so the status bar counts down.
#   QUILLBOX_BIN_DIR=build/default/bin bash tests/e2e/screenshot_main_window.sh
. "$(dirname "$0")/harness.sh"
output="${1:-$QUILLBOX_SOURCE_DIR/docs/screenshots/main-window.png}"
qb_init
qb_install
qb_set_setting_int Main_Window_Dim_x 40 Main_Window_Dim_y 40 Main_Window_Dim_dx 560 Main_Window_Dim_dy 300 \
  Main_Listview_Dim_col0 190 Main_Listview_Dim_col1 190 Main_Listview_Dim_col2 150

qb_start
login=$(qb_wait_window "Enter Password")
qb_create_user "$login" "alice" "correct horse"
main=$(qb_wait_window "$QB_TITLE_MAIN")

while IFS='|' read -r description user password; do
  qb_add_entry "$main" "$description" "$user" "$password"
done <<'ENTRIES'
Bank of Tarnwell|alice.m|Rk7#pq2Lw
Electricity supplier|alice@example.com|gr33n-Lamp-41
Library card|A0042117|shelf.Owl.9
Mail|alice|Pa55phrase!
Mountain club forum|AliceClimbs|x8Tz!mQ2
ENTRIES

qb_key "$main" ctrl+f
qb_type "$main" "ar"
qb_key "$main" Down ctrl+Home ctrl+Down space ctrl+c
sleep 0.3   # let the selection paint before the picture
import -frame -window "$main" "$output"
qb_log "wrote $output"
qb_key "$main" alt+f x
qb_wait_exit "$QB_PID"
