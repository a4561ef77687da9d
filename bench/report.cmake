add_executable(bench_report ${CMAKE_CURRENT_LIST_DIR}/report_bench.cpp)
target_link_libraries(bench_report PRIVATE report_core common vinorda_warnings)
