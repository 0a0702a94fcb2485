# The packing tool: wizpack (POSIX) or wizpack.exe (Windows). Its command line is
# tools/wizpack.cpp; the rest of tools/ is a library that the tests and the fuzz targets link
# too. It shares the launcher-file format with the launcher through the core library.
file(GLOB WIZPACK_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/*.cpp)
list(REMOVE_ITEM WIZPACK_SOURCES ${CMAKE_SOURCE_DIR}/tools/wizpack.cpp)
add_library(wizpacklib STATIC ${WIZPACK_SOURCES})
target_include_directories(wizpacklib PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(wizpacklib PUBLIC wizcore)

add_executable(wizpack ${CMAKE_SOURCE_DIR}/tools/wizpack.cpp)
target_link_libraries(wizpack PRIVATE wizpacklib)
if(WIN32)
  # Its version information (the version itself comes from generated/wiz_version.h).
  target_sources(wizpack PRIVATE ${CMAKE_SOURCE_DIR}/resources/wizpack.rc)
  set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/wizpack.rc PROPERTIES
                              INCLUDE_DIRECTORIES ${CMAKE_BINARY_DIR}/generated)
endif()
