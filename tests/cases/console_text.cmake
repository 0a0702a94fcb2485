# The console host's texts reach a Windows console as characters and a pipe as the ANSI bytes
# (driver: cases/console_text.sh, which runs the probe cases/console_text_probe.cpp on a console
# under Wine). Windows build only.
if(WIN32 AND TARGET wizlaunch)
  add_executable(console_text_probe ${CMAKE_CURRENT_LIST_DIR}/console_text_probe.cpp)
  add_test(NAME console_text
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/console_text.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
                   $<TARGET_FILE:wizlaunch> $<TARGET_FILE:console_text_probe>)
  set_tests_properties(console_text PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77)
endif()
