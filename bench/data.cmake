add_executable(bench_data ${CMAKE_CURRENT_LIST_DIR}/bench_data.cpp)
target_link_libraries(bench_data PRIVATE data common testsupport vinorda_warnings)
