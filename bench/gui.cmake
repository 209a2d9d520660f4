# The entry list of the main window (fill, sort, mask) against a bare
# std::sort of the same rows, measured in the same run. Qt runs offscreen.
if(QUILLBOX_BUILD_GUI)
  add_executable(gui_bench ${CMAKE_CURRENT_LIST_DIR}/gui_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/ratio_reporter.cpp)
  target_link_libraries(gui_bench PRIVATE quillbox_gui benchmark::benchmark quillbox_build_settings)
endif()
