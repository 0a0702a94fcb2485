# Child processes and registry hints.
#
# wizchild is the child program of the process tests; it sits next to wizlaunch_tests, which
# finds it there. wizhint resolves platform hints for the registry test below.
add_executable(wizchild ${CMAKE_CURRENT_LIST_DIR}/proc_child.cpp
                        ${CMAKE_CURRENT_LIST_DIR}/proc_child_${WIZ_BACKEND}.cpp)
target_include_directories(wizchild PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(wizchild PRIVATE wizcore)
set_target_properties(wizchild PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
add_dependencies(wizlaunch_tests wizchild)

add_executable(wizhint ${CMAKE_CURRENT_LIST_DIR}/proc_hint.cpp)
target_link_libraries(wizhint PRIVATE wizcore)
if(TARGET wizresources)
  target_link_libraries(wizhint PRIVATE wizresources)
endif()

# Platform hints against a real registry (Windows build, under Wine) or against none (POSIX).
if(WIN32)
  add_test(NAME proc_registry_hints
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/proc_registry.sh win32 $<TARGET_FILE:wizhint>
                   ${CMAKE_CROSSCOMPILING_EMULATOR})
else()
  add_test(NAME proc_registry_hints
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/proc_registry.sh posix $<TARGET_FILE:wizhint>)
endif()
set_tests_properties(proc_registry_hints PROPERTIES TIMEOUT 120)
