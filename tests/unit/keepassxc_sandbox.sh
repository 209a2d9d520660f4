# Sourced by the tests that drive the real keepassxc-cli beside quillbox-cli
# ($1): skips without keepassxc-cli, then works in a fresh folder with a
# private home and no display, where keepassxc-cli keeps its settings and
# needs no window system. Defines fail, kx (keepassxc-cli) and qb
# (quillbox-cli on that folder, passwords on standard input).
set -euo pipefail

quillbox=$1
if ! command -v keepassxc-cli >/dev/null; then
  echo "SKIP: keepassxc-cli is not installed (scripts/setup installs the keepassxc package)"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir home tmp
export HOME=$work/home TMPDIR=$work/tmp XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_CACHE_HOME=$work/home/.cache XDG_RUNTIME_DIR=$work/tmp QT_QPA_PLATFORM=offscreen
unset DBUS_SESSION_BUS_ADDRESS DISPLAY WAYLAND_DISPLAY

fail() { echo "FAIL: $*" >&2; exit 1; }
kx() { keepassxc-cli "$@" 2>>keepassxc.log; }
qb() { "$quillbox" --dir "$work" --password-stdin "$@"; }
