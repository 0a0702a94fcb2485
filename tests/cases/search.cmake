# End-to-end runs of the JVM search on a messy machine (driver: cases/search_e2e.sh): folder
# names with @, % and #, broken java programs on JAVA_HOME and PATH, descriptors that set
# variables, deleted runtimes, the class path of the verification in its forms, EXECUTE_LAUNCHER
# with relative options. With the stand-in JVM (wizjava, from cases/test_jvm.cmake) on every
# build (under Wine for the Windows builds); natively also with the machine's Java runtime and
# the packed example.
if(TARGET wizlaunch AND TARGET wizpack)
  set(_search_cases odd-paths odd-homes broken environment env-mode verify-classpath execute)
  set(_search_java "")
  if(WIN32)
    list(APPEND _search_cases recycle)
  else()
    list(APPEND _search_cases pick-line)
    if(Java_JAVA_EXECUTABLE AND WIZ_VERIFY_JAR AND WIZ_WIZARD_JAR)
      set(_search_java ${Java_JAVA_EXECUTABLE})
      list(APPEND _search_cases java-starts)
    endif()
  endif()
  foreach(_search_case ${_search_cases})
    add_test(NAME search.e2e.${_search_case}
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/cases/search_e2e.sh ${_search_case}
                     $<TARGET_FILE:wizlaunch> $<TARGET_FILE:wizpack> $<TARGET_FILE:wizjava>
                     "${CMAKE_CROSSCOMPILING_EMULATOR}" ${CMAKE_BINARY_DIR} "${_search_java}"
                     "${WIZ_VERIFY_JAR}" "${WIZ_WIZARD_JAR}")
    set_tests_properties(search.e2e.${_search_case} PROPERTIES TIMEOUT 180 SKIP_RETURN_CODE 77)
  endforeach()
endif()
