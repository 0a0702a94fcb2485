# The progress window under a virtual X server (driver: cases/windowed_driver.sh). Windows build
# only: the tests run the launcher, the test binary and a probe program under Wine, in a Wine
# prefix of their own with a virtual desktop (one per build: a 32-bit prefix for win32, a 64-bit
# one for win64), one test at a time. The case "unit" runs the unit tests that need a display
# (WindowedDialog.*, WindowedMainWindow.*); the win32 and win64 test presets leave out their
# plain runs, which have no display and would only skip (and Wine's loader sometimes crashes
# when such a process ends).
if(WIN32 AND TARGET wizlaunch AND TARGET wizpack)
  add_executable(windowed_probe ${CMAKE_CURRENT_SOURCE_DIR}/cases/windowed_probe.cpp)
  target_link_libraries(windowed_probe PRIVATE user32 comctl32)

  foreach(_windowed_case unit large small branded scaled failure exit cancel hide exit-message close-main
                         planted-dlls)
    add_test(NAME windowed.${_windowed_case}
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/cases/windowed_driver.sh ${_windowed_case}
                     ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:wizlaunch>
                     $<TARGET_FILE:wizpack> $<TARGET_FILE:windowed_probe>
                     $<TARGET_FILE:wizlaunch_tests> ${CMAKE_BINARY_DIR}/wineprefix-windowed
                     ${CMAKE_BINARY_DIR}/windowed-shots $<TARGET_FILE:wizjava>
                     $<TARGET_FILE:wizdllmarker>)
    set_tests_properties(windowed.${_windowed_case} PROPERTIES
                         TIMEOUT 300 SKIP_RETURN_CODE 77 RESOURCE_LOCK wineprefix-windowed)
  endforeach()
endif()
