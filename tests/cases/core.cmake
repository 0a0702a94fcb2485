# End-to-end tests of the launcher executable (drivers: cases/core_e2e.sh, cases/core_win98.sh).
# On the Windows build they run the .exe under Wine, the cross-compiling emulator.
if(TARGET wizlaunch AND TARGET wizpack)
  set(_core_emulator "")
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    set(_core_emulator "${CMAKE_CROSSCOMPILING_EMULATOR}")
  endif()
  foreach(_core_case version missing-input log-without-name no-action silent bare-launcher
                     embedded-script extract-and-rerun cut-launcher no-display debug-log)
    add_test(NAME core.e2e.${_core_case}
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/cases/core_e2e.sh ${_core_case}
                     $<TARGET_FILE:wizlaunch> $<TARGET_FILE:wizpack> "${_core_emulator}")
    set_tests_properties(core.e2e.${_core_case} PROPERTIES TIMEOUT 60 SKIP_RETURN_CODE 77)
  endforeach()
  if(WIN32)
    add_test(NAME core.e2e.win98
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/cases/core_win98.sh
                     ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:wizlaunch>
                     ${CMAKE_BINARY_DIR}/core-win98-prefix)
    set_tests_properties(core.e2e.win98 PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77)
  endif()
endif()
