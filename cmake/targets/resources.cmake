# The string tables, generated from resources/strings/*.txt (one UTF-8 file per language):
# a resource script with a STRINGTABLE per language for the Windows executable, and the same
# texts as a C++ table that the POSIX build loads and the tests of both builds check.
file(GLOB WIZ_STRING_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/strings/*.txt)
set(WIZ_STRINGS_RC ${CMAKE_BINARY_DIR}/resources/strings.rc)
set(WIZ_STRINGS_CPP ${CMAKE_BINARY_DIR}/generated/string_table_data.cpp)
# The C++ table holds this system's texts ("java.exe" on Windows, "java" on POSIX).
if(WIN32)
  set(WIZ_STRINGS_SYSTEM windows)
else()
  set(WIZ_STRINGS_SYSTEM posix)
endif()
add_custom_command(
  OUTPUT ${WIZ_STRINGS_RC} ${WIZ_STRINGS_CPP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/resources
          ${CMAKE_BINARY_DIR}/generated
  COMMAND ${CMAKE_COMMAND} -DSTRINGS_DIR=${CMAKE_SOURCE_DIR}/resources/strings
          -DRC_OUT=${WIZ_STRINGS_RC} -DCPP_OUT=${WIZ_STRINGS_CPP}
          -DTABLE_SYSTEM=${WIZ_STRINGS_SYSTEM}
          -P ${CMAKE_SOURCE_DIR}/cmake/generate_strings.cmake
  DEPENDS ${WIZ_STRING_FILES} ${CMAKE_SOURCE_DIR}/cmake/generate_strings.cmake
  COMMENT "Generating the string tables"
  VERBATIM)
target_sources(wizcore PRIVATE ${WIZ_STRINGS_CPP})

# The Windows resources, linked into the launcher and the test binary (LoadString needs them).
# wizlaunch.rc includes the generated strings.rc from the build tree.
if(WIN32)
  # strings.rc is listed only to tie its generation to this target; it is compiled as part of
  # wizlaunch.rc.
  set_source_files_properties(${WIZ_STRINGS_RC} PROPERTIES HEADER_FILE_ONLY ON)
  add_library(wizresources OBJECT ${CMAKE_SOURCE_DIR}/resources/wizlaunch.rc ${WIZ_STRINGS_RC})
  target_include_directories(wizresources PRIVATE ${CMAKE_SOURCE_DIR}/resources
                             ${CMAKE_BINARY_DIR}/resources ${CMAKE_BINARY_DIR}/generated)
  # windres reports no included files, so name them here.
  file(GLOB WIZ_RC_INCLUDES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.rc
       ${CMAKE_SOURCE_DIR}/resources/*.h ${CMAKE_SOURCE_DIR}/resources/*.ico
       ${CMAKE_SOURCE_DIR}/resources/*.manifest ${CMAKE_SOURCE_DIR}/resources/ui/*)
  set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/wizlaunch.rc PROPERTIES
                              OBJECT_DEPENDS "${WIZ_STRINGS_RC};${WIZ_RC_INCLUDES}")
endif()
