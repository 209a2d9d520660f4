#!/usr/bin/env bash
# Regenerates the product artwork compiled into the program:
#   icon_107.png    window and tray icon (256 x 256, transparent)
#   bitmap_118.png  splash picture (1342 x 250, 24-bit)
#   bitmap_127.png  about box banner (360 x 67, 24-bit)
# and the desktop icon set of the package (packaging/icons/hicolor): the same
# mark as an SVG and as PNGs of 16 to 128 pixels scaled from icon_107.png,
# which is itself the 256-pixel icon.
# Needs ImageMagick 6 and the Debian fonts-urw-base35 and fonts-dejavu fonts.
set -euo pipefail
cd "$(dirname "$0")"
IM=/usr/bin/convert
mark=$(mktemp --suffix=.png)
trap 'rm -f "$mark"' EXIT

navy='#1D3557'; lid='#2F5D8C'; gold='#E9B949'; slate='#4A5A6E'

# The mark: a quill resting on a locked box, drawn large and scaled down.
$IM -size 512x512 xc:none \
  -fill "$navy" -draw "roundrectangle 100,236 412,468 26,26" \
  -fill "$lid" -draw "roundrectangle 80,196 432,262 18,18" \
  -fill '#F2C14E' -draw "circle 256,336 256,310" \
  -draw "polygon 243,348 269,348 280,418 232,418" \
  -fill "$gold" -stroke '#9C6A12' -strokewidth 6 \
  -draw "path 'M 236,238 C 262,150 352,70 470,22 C 446,118 374,196 264,248 Z'" \
  -stroke '#7A4E0A' -strokewidth 7 -fill none \
  -draw "path 'M 226,268 C 300,170 380,96 460,34'" \
  -stroke none -fill '#2B2B2B' -draw "polygon 214,292 222,250 248,262" \
  "PNG32:$mark"

$IM "$mark" -resize 256x256 -strip PNG32:icon_107.png

$IM -size 1342x250 gradient:'#FFFFFF-#DCE6F2' \
  \( "$mark" -resize 220x220 \) -geometry +40+15 -composite \
  -font C059-Bold -pointsize 118 -fill "$navy" -annotate +290+150 'Quillbox' \
  -font DejaVu-Sans -pointsize 30 -fill "$slate" \
  -annotate +296+205 'Your passwords, safely kept on your own desktop' \
  -fill "$gold" -draw "rectangle 290,172 1000,175" \
  -font DejaVu-Sans-Bold -pointsize 26 -fill "$navy" -gravity NorthEast -annotate +40+30 'Tarnwell' \
  -font DejaVu-Sans -pointsize 22 -fill "$slate" -annotate +40+64 'Version 2.0' \
  -gravity NorthWest -background white -flatten -strip -type TrueColor PNG24:bitmap_118.png

$IM -size 360x67 xc:'#FFFFFF' \
  \( "$mark" -resize 62x62 \) -geometry +6+2 -composite \
  -font C059-Bold -pointsize 38 -fill "$navy" -annotate +78+40 'Quillbox' \
  -font DejaVu-Sans -pointsize 13 -fill "$slate" -annotate +81+58 'Password safe by Tarnwell' \
  -fill "$gold" -draw "rectangle 78,46 260,47" \
  -background white -flatten -strip -type TrueColor PNG24:bitmap_127.png

# The package's icon set. The SVG draws the mark with the same shapes as above.
icons=../../packaging/icons/hicolor
app_id=com.tarnwell.Quillbox
mkdir -p "$icons/scalable/apps"
cat >"$icons/scalable/apps/$app_id.svg" <<SVG
<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="512" height="512" viewBox="0 0 512 512">
  <rect x="100" y="236" width="312" height="232" rx="26" fill="$navy"/>
  <rect x="80" y="196" width="352" height="66" rx="18" fill="$lid"/>
  <circle cx="256" cy="336" r="26" fill="#F2C14E"/>
  <polygon points="243,348 269,348 280,418 232,418" fill="#F2C14E"/>
  <path d="M 236,238 C 262,150 352,70 470,22 C 446,118 374,196 264,248 Z" fill="$gold" stroke="#9C6A12" stroke-width="6"/>
  <path d="M 226,268 C 300,170 380,96 460,34" fill="none" stroke="#7A4E0A" stroke-width="7"/>
  <polygon points="214,292 222,250 248,262" fill="#2B2B2B"/>
</svg>
SVG
for size in 16 22 24 32 48 64 128; do
  mkdir -p "$icons/${size}x${size}/apps"
  $IM icon_107.png -resize "${size}x${size}" -strip "PNG32:$icons/${size}x${size}/apps/$app_id.png"
done
