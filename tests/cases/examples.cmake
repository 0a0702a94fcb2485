# End-to-end checks of the example documents in examples/ (driver: cases/examples_e2e.sh) with the
# stand-in JVM (wizjava, from cases/test_jvm.cmake), on every build (under Wine for the Windows
# builds, with the Windows descriptors).
if(TARGET wizlaunch AND TARGET wizpack)
  set(_examples_cases search versions range javahome no-java order wizard manifest)
  if(CMAKE_CROSSCOMPILING)
    list(APPEND _examples_cases signed)
  endif()
  foreach(_examples_case ${_examples_cases})
    add_test(NAME examples.e2e.${_examples_case}
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/cases/examples_e2e.sh ${_examples_case}
                     $<TARGET_FILE:wizlaunch> $<TARGET_FILE:wizpack> $<TARGET_FILE:wizjava>
                     "${CMAKE_CROSSCOMPILING_EMULATOR}")
    set_tests_properties(examples.e2e.${_examples_case} PROPERTIES TIMEOUT 180)
  endforeach()
endif()
