# Argon2d and Argon2id as KDBX files use them, next to libargon2's own
# argon2_hash over the same parameters, in the same run; a 10,000-entry KDBX
# import next to keepassxc-cli ls of the same file.
find_package(PkgConfig REQUIRED)
pkg_check_modules(libargon2 REQUIRED IMPORTED_TARGET GLOBAL libargon2)
add_executable(kdbx_bench ${CMAKE_CURRENT_LIST_DIR}/kdbx_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/ratio_reporter.cpp)
target_link_libraries(kdbx_bench PRIVATE quillbox_interchange PkgConfig::libargon2 benchmark::benchmark
  quillbox_build_settings)
