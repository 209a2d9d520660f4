# The update's signature check against OpenSSL's own verify with a parsed key,
# and the download's chunk gathering against a growing std::vector, measured
# in the same run. Built with the test key, whose private half signs here.
find_package(OpenSSL REQUIRED)
add_executable(update_bench ${CMAKE_CURRENT_LIST_DIR}/update_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/ratio_reporter.cpp)
target_link_libraries(update_bench PRIVATE quillbox_sign_tool quillbox_update_testkey
  benchmark::benchmark OpenSSL::Crypto quillbox_build_settings)
target_compile_definitions(update_bench PRIVATE
  TEST_PRIVATE_KEY="${PROJECT_SOURCE_DIR}/tests/data/update/test_private.pem")
