#!/usr/bin/env bash
# End to end through the package manager: builds the package, checks it with
# lintian, installs it with apt-get and, as a new user made for the test,
# keeps a safe with quillbox-cli in that user's data folder, opens it in the
# window started from the menu entry's Exec line, and finds the portable rule
# still holding for a copy in a writable folder. The safe survives
# `apt-get remove quillbox`; the package and the user are gone at the end.
#   test_install.sh SOURCE_DIR      (exit 77: skipped)
set -euo pipefail
source_dir=$(cd "$1" && pwd)
app_id=com.tarnwell.Quillbox
log() { echo "[$(date +%T)] $*" >&2; }
fail() { log "FAIL: $*"; exit 1; }

if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: installing a package and adding a user need root"
  exit 77
fi
if dpkg-query -W -f='${Status}' quillbox 2>/dev/null | grep -q 'ok installed'; then
  echo "skipped: a quillbox package is already installed here, and this test would remove it"
  exit 77
fi

user="qbpkg$$"
work=$(mktemp -d /tmp/quillbox-package.XXXXXX)
chmod 0755 "$work"
cleanup() {
  if dpkg-query -W -f='${Status}' quillbox 2>/dev/null | grep -q 'ok installed'; then
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq quillbox >/dev/null 2>&1 || true
  fi
  if id "$user" >/dev/null 2>&1; then userdel --force --remove "$user" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

log "building the package"
bash "$source_dir/scripts/package" >"$work/package.log" 2>&1 || { tail -n 40 "$work/package.log" >&2; fail "scripts/package"; }
debs=("$source_dir"/dist/quillbox_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one dist/quillbox_*.deb, found: ${debs[*]}"
deb=${debs[0]}
arch=$(dpkg --print-architecture)
version=$(dpkg-deb -f "$deb" Version)
[ "$(basename "$deb")" = "quillbox_${version}_${arch}.deb" ] || fail "package file name $(basename "$deb")"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libqt6widgets6 libssl3 libcurl4; do
  [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
done

# A copy that apt's sandbox user and lintian's unprivileged run can read.
cp "$deb" "$work/"
deb="$work/$(basename "$deb")"
log "lintian"
runuser -u nobody -- env -i PATH=/usr/bin:/bin HOME="$work" \
  lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 ||
  { cat "$work/lintian.log" >&2; fail "lintian reports errors"; }
sed 's/^/  lintian: /' "$work/lintian.log" >&2

log "installing $(basename "$deb")"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt-get install"; }
for file in /usr/bin/quillbox /usr/bin/quillbox-cli /usr/bin/quillbox-sign \
    /usr/share/applications/$app_id.desktop /usr/share/metainfo/$app_id.metainfo.xml \
    /usr/share/icons/hicolor/16x16/apps/$app_id.png /usr/share/icons/hicolor/256x256/apps/$app_id.png \
    /usr/share/icons/hicolor/scalable/apps/$app_id.svg /usr/share/doc/quillbox/quillbox.html \
    /usr/share/doc/quillbox/copyright /usr/share/man/man1/quillbox-cli.1.gz; do
  [ -f "$file" ] || fail "not installed: $file"
done
cmp -s /usr/share/icons/hicolor/256x256/apps/$app_id.png "$source_dir/resources/images/icon_107.png" ||
  fail "the menu icon is not the window's icon"
desktop-file-validate /usr/share/applications/$app_id.desktop || fail "installed desktop entry"
appstreamcli validate --no-net /usr/share/metainfo/$app_id.metainfo.xml >/dev/null || fail "installed AppStream metadata"
man -l /usr/share/man/man1/quillbox-cli.1.gz 2>/dev/null | grep -q 'quillbox-cli' || fail "quillbox-cli man page"

useradd --create-home --shell /bin/bash --user-group "$user"
home=$(getent passwd "$user" | cut -d: -f6)
cp "$source_dir/tests/e2e/harness.sh" "$source_dir/tests/e2e/desktop_helpers.sh" "$source_dir/tests/e2e/menu_item.py" \
   "$source_dir/tests/package/installed_session.sh" "$work/"
chmod 0644 "$work"/*.sh
log "as $user: the command line and the window"
runuser -u "$user" -- env -i HOME="$home" USER="$user" LOGNAME="$user" PATH=/usr/bin:/bin \
  QUILLBOX_BIN_DIR=/usr/bin QUILLBOX_SOURCE_DIR="$work" \
  bash "$work/installed_session.sh" || fail "as $user"

safe="$home/.local/share/quillbox/alice.SAFE"
[ -f "$safe" ] || fail "no $safe"
before=$(sha256sum <"$safe")

log "apt-get remove quillbox"
DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq quillbox >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt-get remove"; }
for file in /usr/bin/quillbox /usr/bin/quillbox-cli /usr/share/applications/$app_id.desktop /usr/share/doc/quillbox/quillbox.html; do
  [ ! -e "$file" ] || fail "left after removal: $file"
done
[ -f "$safe" ] || fail "the safe went with the package"
[ "$(sha256sum <"$safe")" = "$before" ] || fail "the safe changed on removal"
log "PASS"
