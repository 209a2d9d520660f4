# Our AES, CRC-32 and MD5 against OpenSSL and zlib, measured in the same run.
find_package(OpenSSL REQUIRED)
find_package(ZLIB REQUIRED)

add_executable(crypto_bench ${CMAKE_CURRENT_LIST_DIR}/crypto_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/ratio_reporter.cpp)
target_link_libraries(crypto_bench PRIVATE quillbox_crypto benchmark::benchmark OpenSSL::Crypto ZLIB::ZLIB quillbox_build_settings)
