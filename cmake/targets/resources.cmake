# The Windows resources, linked into the launcher and the test binary (LoadString needs them).
if(WIN32)
  add_library(wizresources OBJECT ${CMAKE_SOURCE_DIR}/resources/wizlaunch.rc)
  target_include_directories(wizresources PRIVATE ${CMAKE_SOURCE_DIR}/resources
                             ${CMAKE_BINARY_DIR}/resources)
endif()
