# wizjava, the stand-in Java runtime that the launcher tests put into fake JVM homes as
# bin/java(.exe). It is standalone (the standard library only, no core library), so it behaves
# the same whatever the code under test does. It is written next to the other test programs.
add_executable(wizjava ${CMAKE_CURRENT_LIST_DIR}/test_jvm.cpp
                       ${CMAKE_CURRENT_LIST_DIR}/test_jvm_console_${WIZ_BACKEND}.cpp)
set_target_properties(wizjava PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})

# Its own check: a verification run and wizard runs from a fake home, with its record checked
# (under Wine on the Windows builds).
add_test(NAME test_jvm.e2e
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/test_jvm_check.sh $<TARGET_FILE:wizjava>
                 "${CMAKE_CROSSCOMPILING_EMULATOR}")
set_tests_properties(test_jvm.e2e PROPERTIES TIMEOUT 60)
