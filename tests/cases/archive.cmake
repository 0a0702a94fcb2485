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

# A launcher under its author's name (driver: cases/branding.sh), Windows builds: the resources
# read back by windres, wrestool and Windows itself, the branded run, signing, refusals.
if(WIN32 AND TARGET wizlaunch AND TARGET wizpack)
  add_executable(version_probe ${CMAKE_CURRENT_LIST_DIR}/branding/version_probe.c)
  target_link_libraries(version_probe PRIVATE version)
  # The Linux wizpack of a native build beside this one, if there is one, must write the same
  # bytes.
  set(_native_wizpack ${CMAKE_SOURCE_DIR}/build/native/wizpack)
  if(NOT EXISTS ${_native_wizpack})
    set(_native_wizpack "")
  endif()
  foreach(case resources run refusals)
    add_test(NAME branding.${case}
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/branding.sh ${case}
                     ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:wizlaunch>
                     $<TARGET_FILE:wizpack> $<TARGET_FILE:version_probe> ${_native_wizpack})
    set_tests_properties(branding.${case} PROPERTIES TIMEOUT 180 SKIP_RETURN_CODE 77)
  endforeach()
endif()
if(NOT WIN32 AND TARGET wizlaunch AND TARGET wizpack)
  foreach(case check linux)
    add_test(NAME branding.${case}
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/branding.sh ${case} "" $<TARGET_FILE:wizlaunch>
                     $<TARGET_FILE:wizpack> "")
    set_tests_properties(branding.${case} PROPERTIES TIMEOUT 60)
  endforeach()
endif()
