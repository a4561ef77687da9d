# Stock benchmarks: the journal window on 200,000 rows, quick registrations in a row.
if(TARGET stock_rules AND TARGET testsupport)
  add_executable(stock_journal ${CMAKE_CURRENT_LIST_DIR}/stock_journal.cpp)
  target_link_libraries(stock_journal PRIVATE stock_rules testsupport vinorda_warnings)
endif()
if(TARGET stock_ui AND TARGET testsupport)
  add_executable(stock_quick ${CMAKE_CURRENT_LIST_DIR}/stock_quick.cpp)
  target_link_libraries(stock_quick PRIVATE stock_ui testsupport Qt6::Test vinorda_warnings)
endif()
if(TARGET stock_rules AND TARGET testsupport)
  # Commits followed by open data sets, against reading them again.
  add_executable(bench_writes ${CMAKE_CURRENT_LIST_DIR}/bench_writes.cpp)
  target_link_libraries(bench_writes PRIVATE stock_rules testsupport vinorda_warnings)
endif()
