# The splash picture's preparation (decode, fit, box-filter scale) against
# Qt's own decode and smooth scale to the same size, measured in the same run.
if(QUILLBOX_BUILD_GUI)
  add_executable(desktop_bench ${CMAKE_CURRENT_LIST_DIR}/desktop_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/ratio_reporter.cpp
                               ${CMAKE_CURRENT_LIST_DIR}/../resources/quillbox.qrc)
  target_link_libraries(desktop_bench PRIVATE quillbox_desktop_gui benchmark::benchmark quillbox_build_settings)
endif()
