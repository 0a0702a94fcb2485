# The Windows launcher loads no DLL from its own directory (driver: cases/dll_search.sh): it
# imports only kernel32 and msvcrt at start-up (launcher.imports), and copies of a marker DLL
# named like the system DLLs it uses, put beside it and preferred by Wine, stay unloaded while it
# runs (dll_search.console here; windowed.planted-dlls in cases/windowed.cmake runs the
# progress window the same way).
if(WIN32 AND TARGET wizlaunch AND TARGET wizpack)
  add_library(wizdllmarker SHARED ${CMAKE_CURRENT_LIST_DIR}/dll_search_marker.c)
  set_target_properties(wizdllmarker PROPERTIES PREFIX "" OUTPUT_NAME dllmarker
                        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  # The unit tests of the loader look for it beside their program.
  add_dependencies(wizlaunch_tests wizdllmarker)

  add_test(NAME launcher.imports
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/dll_search.sh imports ${CMAKE_OBJDUMP}
                   $<TARGET_FILE:wizlaunch>)
  add_test(NAME dll_search.console
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/dll_search.sh console ${CMAKE_CROSSCOMPILING_EMULATOR}
                   $<TARGET_FILE:wizlaunch> $<TARGET_FILE:wizpack> $<TARGET_FILE:wizdllmarker>)
  set_tests_properties(launcher.imports dll_search.console PROPERTIES TIMEOUT 120)
endif()
