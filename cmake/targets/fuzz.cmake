# libFuzzer targets (the fuzz preset, clang only): one executable per tests/fuzz/*_fuzz.cpp, each
# an LLVMFuzzerTestOneInput over the core library. The core library gets the coverage
# instrumentation without libFuzzer's main; the targets link libFuzzer. AddressSanitizer and
# UBSan are on for both, and undefined behaviour stops the run like a crash.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "WIZ_FUZZ needs clang (libFuzzer): configure with the fuzz preset")
endif()
if(WIN32)
  message(FATAL_ERROR "WIZ_FUZZ builds native fuzz targets only")
endif()

set(WIZ_FUZZ_SANITIZERS address,undefined)
set(WIZ_FUZZ_COMMON_FLAGS -g -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
target_compile_options(wizcore PRIVATE -fsanitize=fuzzer-no-link,${WIZ_FUZZ_SANITIZERS}
                       ${WIZ_FUZZ_COMMON_FLAGS})
target_compile_options(wizpacklib PRIVATE -fsanitize=fuzzer-no-link,${WIZ_FUZZ_SANITIZERS}
                       ${WIZ_FUZZ_COMMON_FLAGS})
# Whatever else links the instrumented library (the launcher, the tests) needs the runtimes.
target_link_options(wizcore INTERFACE -fsanitize=${WIZ_FUZZ_SANITIZERS})

file(GLOB WIZ_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*_fuzz.cpp)
add_custom_target(wizfuzz)
foreach(source ${WIZ_FUZZ_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/fuzz ${CMAKE_SOURCE_DIR}/tests)
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,${WIZ_FUZZ_SANITIZERS}
                         ${WIZ_FUZZ_COMMON_FLAGS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,${WIZ_FUZZ_SANITIZERS})
  target_link_libraries(${name} PRIVATE wizcore)
  if(name STREQUAL "manifest_fuzz")
    target_link_libraries(${name} PRIVATE wizpacklib)
  endif()
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  add_dependencies(wizfuzz ${name})
endforeach()
