# The password health report's breach check: 1,000 entries against a breach
# list of 20 million lines made by the benchmark, next to the real
# keepassxc-cli analyze --hibp on the same file and entries.
add_executable(health_bench ${CMAKE_CURRENT_LIST_DIR}/health_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/ratio_reporter.cpp)
target_link_libraries(health_bench PRIVATE quillbox_health benchmark::benchmark quillbox_build_settings)
