# Importing 100,000 entries from each format, next to the bare parser of
# that format (CSV table, expat, nlohmann-json) over the same file.
add_executable(interchange_bench ${CMAKE_CURRENT_LIST_DIR}/interchange_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/ratio_reporter.cpp)
target_link_libraries(interchange_bench PRIVATE quillbox_interchange benchmark::benchmark quillbox_build_settings)
