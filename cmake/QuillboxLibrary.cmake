# quillbox_library(<name> [deps...]): a static library of every .cpp in the
# calling folder. Until a folder has sources it is an interface target, so
# dependents configure while a module is still being written.
function(quillbox_library name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC quillbox_build_settings ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE quillbox_build_settings ${ARGN})
  endif()
endfunction()

# Qt's code generators for the folder that calls it and its subfolders only,
# so the plain C++ targets build without them.
macro(quillbox_qt_folder)
  set(CMAKE_AUTOMOC ON)
  set(CMAKE_AUTOUIC ON)
  set(CMAKE_AUTORCC ON)
endmacro()
