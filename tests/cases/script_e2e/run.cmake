# Runs one instruction script end to end: writes the INSTRUCTIONS document, packs it into a copy
# of the launcher with wizpack, runs that copy with the console host and a log file, and checks
# the exit code and the log.
#
#   cmake -DWIZPACK=... -DWIZLAUNCH=... [-DEMULATOR=wine] -DCASE_DIR=... -DLINES=<file>
#         -DEXPECT_EXIT=<n> [-DEXPECT_LOG=<text>] [-DREJECT_LOG=<text>] -P run.cmake
#
# LINES names a file with the script, one instruction per line. Paths handed to the programs are
# relative to CASE_DIR, so they mean the same under Wine.
foreach(var WIZPACK WIZLAUNCH CASE_DIR LINES EXPECT_EXIT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "script_e2e/run.cmake: ${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE "${CASE_DIR}")
file(MAKE_DIRECTORY "${CASE_DIR}")
file(READ "${LINES}" script)
file(WRITE "${CASE_DIR}/instructions.tag" "INSTRUCTIONS:\n${script}/:\n")
get_filename_component(launcher_name "${WIZLAUNCH}" NAME)
file(COPY "${WIZLAUNCH}" DESTINATION "${CASE_DIR}/base")

execute_process(
  COMMAND ${EMULATOR} "${WIZPACK}" -o packed${SUFFIX} base/${launcher_name}
          --type instructions instructions.tag
  WORKING_DIRECTORY "${CASE_DIR}" RESULT_VARIABLE pack_rc OUTPUT_VARIABLE pack_out
  ERROR_VARIABLE pack_out)
if(NOT pack_rc EQUAL 0)
  message(FATAL_ERROR "wizpack failed (${pack_rc}): ${pack_out}")
endif()

execute_process(
  COMMAND ${EMULATOR} ./packed${SUFFIX} -console -cv:log run.log
  WORKING_DIRECTORY "${CASE_DIR}" RESULT_VARIABLE run_rc OUTPUT_VARIABLE run_out
  ERROR_VARIABLE run_out TIMEOUT 60)
set(log "")
if(EXISTS "${CASE_DIR}/run.log")
  file(READ "${CASE_DIR}/run.log" log)
endif()
set(report "exit code ${run_rc}\n--- output ---\n${run_out}\n--- log ---\n${log}")

if(NOT run_rc STREQUAL EXPECT_EXIT)
  message(FATAL_ERROR "expected exit code ${EXPECT_EXIT}\n${report}")
endif()
if(DEFINED EXPECT_LOG)
  string(FIND "${log}" "${EXPECT_LOG}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the log lacks: ${EXPECT_LOG}\n${report}")
  endif()
endif()
if(DEFINED REJECT_LOG)
  string(FIND "${log}" "${REJECT_LOG}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "the log must not hold: ${REJECT_LOG}\n${report}")
  endif()
endif()
file(REMOVE_RECURSE "${CASE_DIR}")
