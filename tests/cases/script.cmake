# End-to-end runs of instruction scripts packed into the launcher (driver: cases/script_e2e/run.cmake).
# On the Windows build both programs run under Wine, the cross-compiling emulator.
if(TARGET wizlaunch AND TARGET wizpack)
  # script_e2e_case(NAME SCRIPT EXIT [EXPECT_LOG text] [REJECT_LOG text])
  function(script_e2e_case name lines exit_code)
    cmake_parse_arguments(PARSE_ARGV 3 arg "" "EXPECT_LOG;REJECT_LOG" "")
    set(dir ${CMAKE_CURRENT_SOURCE_DIR}/cases/script_e2e)
    set(suffix "")
    if(WIN32)
      set(suffix ".exe")
    endif()
    set(args -DWIZPACK=$<TARGET_FILE:wizpack> -DWIZLAUNCH=$<TARGET_FILE:wizlaunch>
             "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}" "-DSUFFIX=${suffix}"
             -DCASE_DIR=${CMAKE_CURRENT_BINARY_DIR}/script-e2e-${name}
             -DLINES=${dir}/${lines} -DEXPECT_EXIT=${exit_code})
    if(DEFINED arg_EXPECT_LOG)
      list(APPEND args "-DEXPECT_LOG=${arg_EXPECT_LOG}")
    endif()
    if(DEFINED arg_REJECT_LOG)
      list(APPEND args "-DREJECT_LOG=${arg_REJECT_LOG}")
    endif()
    add_test(NAME script.e2e.${name} COMMAND ${CMAKE_COMMAND} ${args} -P ${dir}/run.cmake)
    set_tests_properties(script.e2e.${name} PROPERTIES TIMEOUT 90)
  endfunction()

  script_e2e_case(flow flow.txt 0 REJECT_LOG "ERROR")
  script_e2e_case(label-error label_error.txt 255 EXPECT_LOG
                  "ERROR: Error in instructions. Label not found (@S2@) Line number (3)")
  script_e2e_case(self-reference self_reference.txt 255 EXPECT_LOG
                  "ERROR: Error in instructions. Invalid label specified. Variable substitution does not end (a string variable refers to itself). Line number (2)")
endif()
