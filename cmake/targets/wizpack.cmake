# The packing tool: wizpack (POSIX) or wizpack.exe (Windows). It shares the launcher-file format
# with the launcher through the core library.
add_executable(wizpack ${CMAKE_SOURCE_DIR}/tools/wizpack.cpp)
target_link_libraries(wizpack PRIVATE wizcore)
target_compile_definitions(wizpack PRIVATE WIZ_VERSION="${PROJECT_VERSION}")
