#!/usr/bin/env bash
# The about box of the real program: its caption names the product and the
# web site; a click on the web-site label opens the site, one on the mail
# label hands a sales inquiry to the mail program, other clicks do nothing.
# The box is found on screen by its two pure-blue link labels.
. "$(dirname "$0")/harness.sh"
. "$(dirname "$0")/desktop_helpers.sh"

caption="Tarnwell Quillbox - https://www.tarnwell.com/quillbox"

qb_init
qb_install
dt_fake_launchers
qb_start
dt_dismiss_log_in
main=$(qb_wait_window "$QB_TITLE_MAIN")

qb_key "$main" alt+h a
about=$(qb_wait_window "$caption")
sleep 0.5  # let it finish painting before the pictures
import -frame -window "$about" "$(dt_screenshot_dir)/about.png"
shot="$QB_ROOT/about-client.png"
import -window "$about" "$shot"

# Blue (0, 0, 255) pixels of the box, grouped into runs of rows: the
# web-site label first, the mail label below it. Echoes "x y" per label:
# the middle of each group's bounding box, in window coordinates.
link_centres() {
  convert "$shot" -depth 8 txt:- | awk -F'[,: ]+' '
    /#0000FF/ {
      x = $1; y = $2
      if (n == 0 || y > last + 4) { n++; minx[n] = x; maxx[n] = x; miny[n] = y }
      if (x < minx[n]) minx[n] = x
      if (x > maxx[n]) maxx[n] = x
      maxy[n] = y; last = y
    }
    END { for (i = 1; i <= n; i++) print int((minx[i] + maxx[i]) / 2), int((miny[i] + maxy[i]) / 2) }'
}
mapfile -t links < <(link_centres)
qb_assert_eq "${#links[@]}" 2 "blue link labels in the about box"

click_at() {
  xdotool mousemove 0 0 mousemove --window "$about" --sync $1 $2
  xdotool click "${3:-1}"
}

# Clicks that are not left clicks on a link do nothing.
read -r wx wy <<<"${links[0]}"
click_at "$wx" "$wy" 3
click_at 5 5
read -r mx my <<<"${links[1]}"
click_at $((mx)) $((my - 30))
sleep 1
[ ! -s "$DT_OPENED_LOG" ] || qb_fail "a stray click opened: $(cat "$DT_OPENED_LOG")"

click_at "$wx" "$wy"
qb_wait_for grep -q '^xdg-open|' "$DT_OPENED_LOG" || qb_fail "web site not opened"
grep -qx 'xdg-open|https://www.tarnwell.com/quillbox' "$DT_OPENED_LOG" || qb_fail "opened: $(cat "$DT_OPENED_LOG")"
click_at "$mx" "$my"
qb_wait_for grep -q '^xdg-email|' "$DT_OPENED_LOG" || qb_fail "no sales mail"
grep -qx 'xdg-email|--subject|I have a sales inquiry...|Tarnwell Sales Manager <sales@tarnwell.com>' \
  "$DT_OPENED_LOG" || qb_fail "mail: $(cat "$DT_OPENED_LOG")"
qb_log "links open the web site and the sales mail"

qb_key "$about" Escape
qb_wait_no_window "$caption"
qb_key "$main" alt+f x
dt_expect_clean_exit

echo "test_desktop_about: passed"
