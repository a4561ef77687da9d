add_executable(bench_report ${CMAKE_CURRENT_LIST_DIR}/report_bench.cpp)
target_link_libraries(bench_report PRIVATE report_core common vinorda_warnings)

# The barcode list with a description of one long word, against ordinary words.
add_executable(bench_layout ${CMAKE_CURRENT_LIST_DIR}/layout_bench.cpp)
target_link_libraries(bench_layout PRIVATE report_core common vinorda_warnings)
target_compile_definitions(bench_layout PRIVATE VINORDA_TEMPLATES="${CMAKE_SOURCE_DIR}/data/stampe")
