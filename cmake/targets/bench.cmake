# The benchmark programs of bench/run.sh (see bench/README.md). They are built with everything
# else, so the benchmarks always run against the current code, but no test runs them.
#   wizbench          the driver and the programs it times (links the core library)
#   wizbench_trivial  the trivial child of the child-run benchmark
# bench_process_*.cpp and plain_walk_*.cpp follow the backend suffix rule of the sources.
if(WIN32)
  set(_wiz_bench_system win32)
else()
  set(_wiz_bench_system posix)
endif()
add_executable(wizbench ${CMAKE_SOURCE_DIR}/bench/wizbench.cpp
               ${CMAKE_SOURCE_DIR}/bench/bench_process_${_wiz_bench_system}.cpp
               ${CMAKE_SOURCE_DIR}/bench/plain_walk_${_wiz_bench_system}.cpp)
target_include_directories(wizbench PRIVATE ${CMAKE_SOURCE_DIR}/bench ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(wizbench PRIVATE wizcore)
if(WIN32)
  target_link_options(wizbench PRIVATE -mconsole)
endif()
add_executable(wizbench_trivial ${CMAKE_SOURCE_DIR}/bench/trivial_child.cpp)
unset(_wiz_bench_system)
