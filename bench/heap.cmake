# The window's wiping free and realloc against glibc's own, in the same run:
# a realloc growth loop, a 1 GiB free, and a log-in plus filter over 100,000
# entries in the window. Qt runs offscreen.
if(QUILLBOX_BUILD_GUI)
  add_executable(heap_bench ${CMAKE_CURRENT_LIST_DIR}/heap_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/ratio_reporter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/bench_folder.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_entries.cpp)
  target_link_libraries(heap_bench PRIVATE quillbox_gui benchmark::benchmark quillbox_build_settings)
endif()
