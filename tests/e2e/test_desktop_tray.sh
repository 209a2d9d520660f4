#!/usr/bin/env bash
# Splash, tray icon and window behaviour of the real program under icewm:
# the splash is fitted to a 1024 x 768 desktop; a double-click on the tray
# icon minimises and restores, resting on it shows its tooltip, a single
# click does nothing, a right click (also one held a moment, as a hand
# does) opens its menu, whose "Show/Hide" does the same;
# Ctrl+H minimises; with "Reside on Taskbar" a minimise leaves no taskbar
# button and the tray brings the window back; the flag is stored at exit.
. "$(dirname "$0")/harness.sh"
. "$(dirname "$0")/desktop_helpers.sh"

QB_SCREEN=1024x768x24
qb_init
qb_install
qb_start

# The splash comes first: 921 x 171 at (51, 199) on this desktop.
splash_up() { splash=$(xdotool search --onlyvisible --class '^quillbox$' 2>/dev/null | head -n 1); [ -n "$splash" ]; }
qb_wait_for splash_up || qb_fail "no splash"
qb_assert_eq "$(qb_geometry "$splash")" "51 199 921 171" "splash geometry"
qb_assert_eq "$(xdotool getwindowname "$splash")" "quillbox" "splash title (none of its own)"
import -window root -crop 921x171+51+199 +repage "$(dt_screenshot_dir)/splash.png"
qb_wait_for dt_window_gone "$splash" || qb_fail "splash still up"
qb_log "splash shown and gone"

dt_dismiss_log_in
main=$(qb_wait_window "$QB_TITLE_MAIN")
tray=$(dt_wait_tray_icon)
dt_has_taskbar_button "$main" || qb_fail "main window has no taskbar button"

dt_click "$tray" 1 2
dt_wait_wm_state "$main" Iconic
dt_click "$tray" 1 2
dt_wait_wm_state "$main" Normal
qb_log "tray double-clicks toggle"

# The tray menu is a popup, which the accessibility tree leaves out: once it
# is shown (a window of ours that was not there), its item is chosen by its
# letter, and it is gone before the next look.
shown_windows() { xdotool search --onlyvisible --class "^quillbox$" 2>/dev/null | sort; }
tray_menu() {
  local key=$1 before popup=""
  before=$(shown_windows)
  if [ "${2:-}" = held ]; then
    # As a hand does it: the button stays down a moment, and the menu must
    # outlive its release.
    dt_press "$tray" 3
  else
    dt_click "$tray" 3
  fi
  new_window() { popup=$(comm -13 <(echo "$before") <(shown_windows) | head -n 1); [ -n "$popup" ]; }
  qb_wait_for new_window || qb_fail "no tray menu"
  # A key in the menu's first moments can leave the icon deaf to the next click.
  sleep 0.5
  shown_windows | grep -qx "$popup" || qb_fail "the tray menu closed when the button was let go"
  xdotool key "$key"
  popup_gone() { ! shown_windows | grep -qx "$popup"; }
  qb_wait_for popup_gone || qb_fail "tray menu stayed open"
}
# Resting the pointer on the icon shows its tooltip, a window of ours
# beside it (a move within the icon starts the tooltip's wait, as a hand's does).
before=$(shown_windows)
xdotool mousemove 0 0 mousemove --sync $(dt_middle "$tray") mousemove_relative 1 1
tooltip_shown() { [ -n "$(comm -13 <(echo "$before") <(shown_windows))" ]; }
qb_wait_for tooltip_shown || qb_fail "no tooltip on the tray icon"
xdotool mousemove 0 0
tooltip_gone() { [ -z "$(comm -13 <(echo "$before") <(shown_windows))" ]; }
qb_wait_for tooltip_gone || qb_fail "the tooltip stayed"
qb_log "tray tooltip"

tray_menu s  # "&Show/Hide"
dt_wait_wm_state "$main" Iconic
tray_menu s held  # "&Show/Hide"
dt_wait_wm_state "$main" Normal
qb_log "tray menu toggles"

# A single click does nothing, whatever the state.
dt_click "$tray" 1
sleep 1
qb_assert_eq "$(dt_wm_state "$main")" Normal "after a single click"

qb_key "$main" ctrl+h
dt_wait_wm_state "$main" Iconic
dt_click "$tray" 1
sleep 1
qb_assert_eq "$(dt_wm_state "$main")" Iconic "single click on a minimised window"
dt_click "$tray" 1 2
dt_wait_wm_state "$main" Normal

qb_log "single clicks and Ctrl+H"

# Reside on Taskbar: a minimise withdraws the window; only the tray icon is left.
qb_menu "$main" alt+f "Reside on Taskbar"
qb_key "$main" ctrl+h
dt_wait_wm_state "$main" ""
no_button() { ! dt_has_taskbar_button "$main"; }
qb_wait_for no_button || qb_fail "hidden window still has a taskbar button"
[ -n "$(dt_find_tray_icon)" ] || qb_fail "tray icon gone with the window"
dt_click "$tray" 1 2
dt_wait_wm_state "$main" Normal
dt_has_taskbar_button "$main" || qb_fail "restored window has no taskbar button"
qb_assert_eq "$(xdotool getactivewindow)" "$main" "restored window in front"

# The flag is written at exit.
qb_key "$main" alt+f x
dt_expect_clean_exit
qb_assert_eq "$(qb_setting_int Store_On_Taskbar_Only)" 1 "Store_On_Taskbar_Only"

echo "test_desktop_tray: passed"
