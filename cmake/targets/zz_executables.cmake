# The launcher executable: a thin entry point over the core library. Included after the other
# target files so that the resource library exists when it is linked.
if(WIN32)
  add_executable(wizlaunch ${CMAKE_SOURCE_DIR}/src/core/main_win32.cpp)
  # A console-subsystem program: it reads and writes the console when started with -console.
  target_link_options(wizlaunch PRIVATE -mconsole)
  if(TARGET wizresources)
    target_link_libraries(wizlaunch PRIVATE wizresources)
  endif()
else()
  add_executable(wizlaunch ${CMAKE_SOURCE_DIR}/src/core/main_posix.cpp)
endif()
target_link_libraries(wizlaunch PRIVATE wizcore)
