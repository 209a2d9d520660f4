# Sourced by the end-to-end update tests after harness.sh's qb_init:
#   qb_start_update_server ROOT    serves ROOT on loopback, sets QB_UPDATE_PORT
#   qb_point_at_update_server      stores "Update_Server" in the user hive
# The server stops when the test's shell exits and its input closes.

qb_start_update_server() {
  local root=$1
  mkdir -p "$root/downloads"
  mkfifo "$QB_ROOT/update-server.in"
  python3 "$QUILLBOX_SOURCE_DIR/tests/unit/update/update_server.py" "$root" \
    <"$QB_ROOT/update-server.in" >"$QB_ROOT/update-server.port" 2>>"$QB_ROOT/update-server.log" &
  QB_PIDS+=($!)
  exec 8>"$QB_ROOT/update-server.in"
  qb_wait_for test -s "$QB_ROOT/update-server.port" || qb_fail "update server did not start"
  QB_UPDATE_PORT=$(tr -d '[:space:]' <"$QB_ROOT/update-server.port")
}

qb_point_at_update_server() {
  local hive
  hive=$(qb_user_hive)
  mkdir -p "$(dirname "$hive")"
  if [ ! -s "$hive" ]; then
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[%s]\r\n' "$QB_HIVE_KEY" >"$hive"
  fi
  printf '"Update_Server"="127.0.0.1:%s"\r\n' "$QB_UPDATE_PORT" >>"$hive"
}
