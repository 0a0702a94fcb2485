# The direction of the dependencies between the source folders (scripts/check-layers.sh): the
# tree passes, and an include that points upward fails with its file and line.
if(NOT CMAKE_CROSSCOMPILING)
  add_test(NAME layers.check COMMAND bash ${CMAKE_SOURCE_DIR}/tests/cases/layers.sh
                                     ${CMAKE_SOURCE_DIR})
endif()
