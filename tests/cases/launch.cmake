# End-to-end runs of the launch commands (driver: cases/launch_e2e.sh) with the stand-in JVM, on
# every build (under Wine for the Windows builds); natively also the sample wizard on the
# machine's real Java runtime. (wizjava comes from cases/test_jvm.cmake.)
if(TARGET wizlaunch AND TARGET wizpack)
  foreach(_launch_case launch style1 console workdir ilaunch execute)
    add_test(NAME launch.e2e.${_launch_case}
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/cases/launch_e2e.sh ${_launch_case}
                     $<TARGET_FILE:wizlaunch> $<TARGET_FILE:wizpack> $<TARGET_FILE:wizjava>
                     "${CMAKE_CROSSCOMPILING_EMULATOR}")
    set_tests_properties(launch.e2e.${_launch_case} PROPERTIES TIMEOUT 120)
  endforeach()
  if(NOT CMAKE_CROSSCOMPILING AND WIZ_WIZARD_JAR AND Java_JAVA_EXECUTABLE)
    add_test(NAME launch.e2e.java
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/cases/launch_e2e.sh java
                     $<TARGET_FILE:wizlaunch> $<TARGET_FILE:wizpack> ${Java_JAVA_EXECUTABLE}
                     ${WIZ_WIZARD_JAR})
    set_tests_properties(launch.e2e.java PROPERTIES TIMEOUT 120)
  endif()
endif()
