# The launcher executable: the entry point over the core library.
add_executable(wizlaunch ${CMAKE_SOURCE_DIR}/src/main.cpp)
target_link_libraries(wizlaunch PRIVATE wizcore)
if(WIN32)
  # A console-subsystem program: it reads and writes the console when started with -console.
  target_link_options(wizlaunch PRIVATE -mconsole)
  target_link_libraries(wizlaunch PRIVATE wizresources)
endif()
