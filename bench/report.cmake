add_executable(bench_report ${CMAKE_CURRENT_LIST_DIR}/report_bench.cpp)
target_link_libraries(bench_report PRIVATE report_core common vinorda_warnings)
target_include_directories(bench_report PRIVATE ${CMAKE_SOURCE_DIR}/tests/report)

# The barcode list with a description of one long word, against ordinary words.
add_executable(bench_layout ${CMAKE_CURRENT_LIST_DIR}/layout_bench.cpp)
target_link_libraries(bench_layout PRIVATE report_core common vinorda_warnings)
target_compile_definitions(bench_layout PRIVATE VINORDA_TEMPLATES="${CMAKE_SOURCE_DIR}/data/stampe")

# Reports written to PDF as they are laid out, against QPdfWriter writing the same rows directly
# (bench/run-all.sh runs it); the journal print where the program's data libraries are built.
add_executable(report_stream ${CMAKE_CURRENT_LIST_DIR}/report_stream.cpp)
target_link_libraries(report_stream PRIVATE report_core common vinorda_warnings)
target_include_directories(report_stream PRIVATE ${CMAKE_SOURCE_DIR}/tests/report)
if(TARGET stock_rules AND TARGET printing AND TARGET report_data)
  target_link_libraries(report_stream PRIVATE stock_rules printing report_data)
  target_compile_definitions(report_stream PRIVATE VINORDA_BENCH_JOURNAL)
endif()
