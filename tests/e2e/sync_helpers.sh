# Helpers for the tests of safes changed outside the window: source after
# harness.sh.

# A user hive holding text settings, written before the program starts:
#   sync_write_hive Safe_Folder /path Last_Username alice
sync_write_hive() {
  local hive
  hive=$(qb_user_hive)
  mkdir -p "$(dirname "$hive")"
  printf 'Windows Registry Editor Version 5.00\n\n[%s]\n' "$QB_HIVE_KEY" >"$hive"
  while [ $# -ge 2 ]; do
    printf '"%s"="%s"\n' "$1" "$2" >>"$hive"
    shift 2
  done
}

# quillbox-cli on the safes in folder $1 with passwords from standard input.
sync_cli() {
  local folder=$1
  shift
  "$QB_INSTALL/quillbox-cli" --dir "$folder" --password-stdin "$@"
}

# The description of the window's last row (sorted by description).
# The account user name of the last row, read through "Copy User Name".
sync_last_row() { qb_row_user "$1" ctrl+End; }

sync_last_row_is() { [ "$(sync_last_row "$1")" = "$2" ]; }

# The list of alice's safe in folder $1, or nothing when it does not open.
sync_list() { printf 'pw\n' | sync_cli "$1" list alice 2>/dev/null || true; }

sync_list_is() { [ "$(sync_list "$1")" = "$2" ]; }

# Syncthing on loopback only. Each side gets a home folder and a shared
# folder; the configuration is written before the first start.
ST_PIDS=()

# Free TCP ports on 127.0.0.1, one per argument's worth.
st_free_ports() {
  python3 -c '
import socket, sys
sockets = [socket.socket() for _ in range(int(sys.argv[1]))]
for s in sockets: s.bind(("127.0.0.1", 0))
print(" ".join(str(s.getsockname()[1]) for s in sockets))' "$1"
}

# st_prepare NAME: makes $QB_ROOT/st-NAME (home) and $QB_ROOT/NAME-safes.
st_prepare() {
  local home="$QB_ROOT/st-$1"
  syncthing generate --home="$home" --no-default-folder >>"$QB_ROOT/syncthing-$1.log" 2>&1 ||
    qb_fail "syncthing generate failed"
  mkdir -p "$QB_ROOT/$1-safes/.stfolder"
  syncthing --home="$home" --device-id
}

# st_configure NAME OWN_ID OWN_PORT GUI_PORT PEER_ID PEER_PORT
st_configure() {
  python3 "$QUILLBOX_SOURCE_DIR/tests/e2e/syncthing_config.py" "$QB_ROOT/st-$1" "$2" "$3" "$4" "$5" "$6" \
    quillbox "$QB_ROOT/$1-safes" || qb_fail "the syncthing configuration could not be written"
}

st_start() {
  STNOUPGRADE=1 syncthing serve --home="$QB_ROOT/st-$1" --no-browser --no-restart --no-upgrade \
    >>"$QB_ROOT/syncthing-$1.log" 2>&1 &
  ST_PIDS+=($!)
  QB_PIDS+=($!)
}

st_api_key() { sed -n 's:.*<apikey>\(.*\)</apikey>.*:\1:p' "$QB_ROOT/st-$1/config.xml"; }

# st_rest NAME GUI_PORT METHOD PATH
st_rest() {
  curl -sf -X "$3" -H "X-API-Key: $(st_api_key "$1")" "http://127.0.0.1:$2$4"
}

st_connected() {
  st_rest "$1" "$2" GET /rest/system/connections 2>/dev/null |
    python3 -c 'import json, sys; c = json.load(sys.stdin)["connections"]; sys.exit(0 if any(v["connected"] for v in c.values()) else 1)'
}

st_disconnected() { ! st_connected "$@"; }

# The instances with their worker processes ("serve" runs one below itself).
st_all_pids() {
  local pid
  for pid in "${ST_PIDS[@]}"; do
    echo "$pid"
    pgrep -P "$pid" || true
  done
}

# Every socket the instances hold is on the loopback interface: local
# addresses, and the peers of connected sockets.
st_only_loopback() {
  local pid addresses
  addresses=$(for pid in $(st_all_pids); do
    ss -Htanup 2>/dev/null | grep "pid=$pid," | awk '{ print $5; if ($6 !~ /:\*$/) print $6 }'
  done)
  if [ -z "$addresses" ]; then
    qb_log "no sockets seen for syncthing"
    return 1
  fi
  if echo "$addresses" | grep -v '^127\.0\.0\.1:' | grep -q .; then
    qb_log "syncthing has sockets off the loopback: $(echo "$addresses" | tr '\n' ' ')"
    return 1
  fi
}

st_stop_all() {
  local pid pids
  pids=$(st_all_pids)
  for pid in "${ST_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${ST_PIDS[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  st_none_left() {
    for pid in $pids; do
      ! kill -0 "$pid" 2>/dev/null || return 1
    done
  }
  QB_WAIT_TIMEOUT=15 qb_wait_for st_none_left || qb_fail "syncthing is still running"
  ST_PIDS=()
}
