# Image resampling (packed and general loops) and string-list splitting
# against the standard library, measured in the same run.
add_executable(core_bench ${CMAKE_CURRENT_LIST_DIR}/core_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/ratio_reporter.cpp)
target_link_libraries(core_bench PRIVATE quillbox_core benchmark::benchmark quillbox_build_settings)
