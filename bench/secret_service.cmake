# The Secret Service against gnome-keyring-daemon, with real clients and
# servers on a private session bus: a script, not a Google Benchmark program,
# since both sides are whole processes. `cmake --build --preset default
# --target secret_service_bench` runs it once.
add_custom_target(secret_service_bench
  COMMAND ${CMAKE_COMMAND} -E env QUILLBOX_BIN_DIR=${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
          bash ${CMAKE_CURRENT_LIST_DIR}/secret_service_bench.sh
  DEPENDS quillbox quillbox-cli
  USES_TERMINAL)
