# The benchmark program of bench/child_overhead.sh (not part of the tests).
add_executable(wizbench_child ${CMAKE_SOURCE_DIR}/bench/child_overhead.cpp)
target_link_libraries(wizbench_child PRIVATE wizcore)
