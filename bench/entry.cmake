# A version-3 strong safe of 100,000 entries with web address, notes and
# tags: opening and saving it next to one XChaCha20-Poly1305 pass over the
# same bytes, and the memory the open list holds next to its plaintext.
add_executable(entry_bench ${CMAKE_CURRENT_LIST_DIR}/entry_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/ratio_reporter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bench_folder.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_entries.cpp)
target_link_libraries(entry_bench PRIVATE quillbox_safe benchmark::benchmark quillbox_build_settings)
