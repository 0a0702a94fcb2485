# End-to-end runs of the JVM discovery (driver: cases/jvm_e2e.sh) with the stand-in JVM
# (wizjava, from cases/test_jvm.cmake), on every build (under Wine for the Windows builds).
if(TARGET wizlaunch AND TARGET wizpack)
  set(_jvm_cases search shared-temp javahome none search-all scan-first hang verify install script bad-hive)
  if(WIN32)
    list(APPEND _jvm_cases registry views drives)
  else()
    # The question on the console; Windows shows the file-open dialog instead.
    list(APPEND _jvm_cases pick)
  endif()
  foreach(_jvm_case ${_jvm_cases})
    add_test(NAME jvm.e2e.${_jvm_case}
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/cases/jvm_e2e.sh ${_jvm_case}
                     $<TARGET_FILE:wizlaunch> $<TARGET_FILE:wizpack> $<TARGET_FILE:wizjava>
                     "${CMAKE_CROSSCOMPILING_EMULATOR}" ${CMAKE_BINARY_DIR})
    set_tests_properties(jvm.e2e.${_jvm_case} PROPERTIES TIMEOUT 180)
  endforeach()
endif()
