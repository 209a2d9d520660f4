# Hive parsing against one zlib CRC-32 pass over the same bytes, and whole
# settings reads and writes (locked, atomically replaced files), measured in
# the same run.
find_package(ZLIB REQUIRED)

add_executable(settings_bench ${CMAKE_CURRENT_LIST_DIR}/settings_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/ratio_reporter.cpp)
target_link_libraries(settings_bench PRIVATE quillbox_app_model quillbox_settings quillbox_platform
  benchmark::benchmark ZLIB::ZLIB quillbox_build_settings)
