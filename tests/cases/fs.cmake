# End-to-end tests of extraction and self-removal (driver: cases/fs_e2e.sh). On the Windows
# build the executables run under Wine, the cross-compiling emulator.
if(TARGET wizlaunch AND TARGET wizpack)
  set(_fs_emulator "")
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    set(_fs_emulator "${CMAKE_CROSSCOMPILING_EMULATOR}")
  endif()
  foreach(_fs_case extract orig)
    add_test(NAME fs.e2e.${_fs_case}
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/cases/fs_e2e.sh ${_fs_case}
                     $<TARGET_FILE:wizlaunch> $<TARGET_FILE:wizpack> "${_fs_emulator}")
    set_tests_properties(fs.e2e.${_fs_case} PROPERTIES TIMEOUT 120)
  endforeach()
endif()
if(WIN32 AND TARGET wizlaunch)
  add_test(NAME fs.e2e.win98
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/cases/fs_win98.sh
                   ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:wizlaunch>
                   ${CMAKE_BINARY_DIR}/fs-win98-prefix)
  set_tests_properties(fs.e2e.win98 PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77)
endif()
