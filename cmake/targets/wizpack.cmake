# The packing tool: wizpack (POSIX) or wizpack.exe (Windows). It shares the launcher-file format
# with the launcher through the core library.
add_executable(wizpack ${CMAKE_SOURCE_DIR}/tools/wizpack.cpp)
target_link_libraries(wizpack PRIVATE wizcore)
if(WIN32)
  # Its version information (the version itself comes from generated/wiz_version.h).
  target_sources(wizpack PRIVATE ${CMAKE_SOURCE_DIR}/resources/wizpack.rc)
  set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/wizpack.rc PROPERTIES
                              INCLUDE_DIRECTORIES ${CMAKE_BINARY_DIR}/generated)
endif()
