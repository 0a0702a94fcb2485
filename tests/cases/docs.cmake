# The examples of the reference documentation (driver: cases/docs_e2e.sh): every folder of
# docs/examples is packed with wizpack as its pack.args says and run as its `expected` file says,
# natively with the host's Java 17 and under Wine with the stand-in JVM (wizjava, from
# cases/test_jvm.cmake). A folder without those two files fails its test. docs.links checks that
# every example folder is shown by a page and that the pages' links lead somewhere.
if(TARGET wizlaunch AND TARGET wizpack AND WIZ_VERIFY_JAR AND WIZ_WIZARD_JAR)
  set(_docs_java "")
  if(NOT CMAKE_CROSSCOMPILING AND Java_JAVA_EXECUTABLE)
    set(_docs_java ${Java_JAVA_EXECUTABLE})
  endif()
  file(GLOB _docs_examples LIST_DIRECTORIES true CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/docs/examples/*)
  foreach(_docs_dir ${_docs_examples})
    if(NOT IS_DIRECTORY ${_docs_dir})
      continue()
    endif()
    get_filename_component(_docs_name ${_docs_dir} NAME)
    add_test(NAME docs.example.${_docs_name}
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/cases/docs_e2e.sh example ${_docs_dir}
                     $<TARGET_FILE:wizlaunch> $<TARGET_FILE:wizpack> $<TARGET_FILE:wizjava>
                     ${WIZ_VERIFY_JAR} ${WIZ_WIZARD_JAR} "${CMAKE_CROSSCOMPILING_EMULATOR}"
                     "${_docs_java}")
    set_tests_properties(docs.example.${_docs_name} PROPERTIES TIMEOUT 180 SKIP_RETURN_CODE 77)
  endforeach()
endif()
if(NOT CMAKE_CROSSCOMPILING)
  add_test(NAME docs.links
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/cases/docs_e2e.sh links
                   ${CMAKE_SOURCE_DIR}/docs)
endif()
