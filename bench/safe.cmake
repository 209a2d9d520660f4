# SaveSafe and LoadSafe against a bare OpenSSL AES-128-ECB pass over the same
# bytes, and the strong format against libsodium (linked through the safe
# library), measured in the same run.
find_package(OpenSSL REQUIRED)

add_executable(safe_bench ${CMAKE_CURRENT_LIST_DIR}/safe_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/ratio_reporter.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_folder.cpp)
target_link_libraries(safe_bench PRIVATE quillbox_safe benchmark::benchmark OpenSSL::Crypto quillbox_build_settings)
