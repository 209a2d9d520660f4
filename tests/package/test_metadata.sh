#!/usr/bin/env bash
# The desktop entry and the AppStream metadata pass their validators, and
# every icon the entry names has the size its folder says.
#   test_metadata.sh SOURCE_DIR VERSION
set -euo pipefail
source_dir=$1 version=$2
packaging="$source_dir/packaging"
app_id=com.tarnwell.Quillbox
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

desktop-file-validate "$packaging/$app_id.desktop" || fail "desktop entry"
sed "s/@PROJECT_VERSION@/$version/g" "$packaging/$app_id.metainfo.xml.in" >"$work/$app_id.metainfo.xml"
appstreamcli validate --no-net "$work/$app_id.metainfo.xml" || fail "AppStream metadata"

grep -qx "Icon=$app_id" "$packaging/$app_id.desktop" || fail "desktop entry's Icon is not $app_id"
for icon in "$packaging"/icons/hicolor/*x*/apps/*.png; do
  folder=$(basename "$(dirname "$(dirname "$icon")")")
  [ "$(basename "$icon")" = "$app_id.png" ] || fail "$icon: not named $app_id.png"
  size=$(identify -format '%wx%h' "$icon")
  [ "$size" = "$folder" ] || fail "$icon is $size"
done
[ -s "$packaging/icons/hicolor/scalable/apps/$app_id.svg" ] || fail "no scalable icon"
echo "package metadata: PASS"
