# End-to-end runs that end the launcher from outside while its wizard runs (driver:
# cases/ending_e2e.sh): signals natively, with the stand-in JVM and with the machine's real Java
# runtime; console events under Wine, sent by cases/ctrl_event_probe.cpp. (wizjava comes from
# cases/test_jvm.cmake.)
if(TARGET wizlaunch AND TARGET wizpack AND NOT CMAKE_CROSSCOMPILING)
  foreach(_ending_case signals stubborn killed)
    add_test(NAME ending.e2e.${_ending_case}
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/cases/ending_e2e.sh ${_ending_case}
                     $<TARGET_FILE:wizlaunch> $<TARGET_FILE:wizpack> $<TARGET_FILE:wizjava>)
    set_tests_properties(ending.e2e.${_ending_case} PROPERTIES TIMEOUT 120)
  endforeach()
  if(Java_JAVA_EXECUTABLE)
    add_test(NAME ending.e2e.java
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/cases/ending_e2e.sh java
                     $<TARGET_FILE:wizlaunch> $<TARGET_FILE:wizpack> $<TARGET_FILE:wizjava>
                     ${Java_JAVA_EXECUTABLE})
    set_tests_properties(ending.e2e.java PROPERTIES TIMEOUT 120)
  endif()
endif()
if(WIN32 AND TARGET wizlaunch AND TARGET wizpack)
  add_executable(ctrl_event_probe ${CMAKE_CURRENT_LIST_DIR}/ctrl_event_probe.cpp)
  foreach(_ending_case ctrl-c ctrl-break killed-windows)
    add_test(NAME ending.e2e.${_ending_case}
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/cases/ending_e2e.sh ${_ending_case}
                     $<TARGET_FILE:wizlaunch> $<TARGET_FILE:wizpack> $<TARGET_FILE:wizjava>
                     "${CMAKE_CROSSCOMPILING_EMULATOR}" $<TARGET_FILE:ctrl_event_probe>)
    set_tests_properties(ending.e2e.${_ending_case} PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77)
  endforeach()
endif()
