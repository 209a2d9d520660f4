# Following a safe on disk: a look, a fingerprint against one OpenSSL MD5
# pass over the same bytes, and a conflict-copy merge.
find_package(OpenSSL REQUIRED)

add_executable(sync_bench ${CMAKE_CURRENT_LIST_DIR}/sync_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/ratio_reporter.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_folder.cpp)
target_link_libraries(sync_bench PRIVATE quillbox_safe benchmark::benchmark OpenSSL::Crypto quillbox_build_settings)
