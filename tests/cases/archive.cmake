# End-to-end runs of the packing tool (under Wine for the Windows build).
if(TARGET wizpack)
  foreach(case roundtrip refusals manifest)
    add_test(NAME archive_wizpack_${case}
             COMMAND ${CMAKE_COMMAND} -DWIZPACK=$<TARGET_FILE:wizpack>
                     "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}"
                     -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/archive_wizpack_${case}
                     -DCASE=${case} -DVERSION=${PROJECT_VERSION} -P ${CMAKE_CURRENT_LIST_DIR}/archive_wizpack/check.cmake)
  endforeach()
endif()
