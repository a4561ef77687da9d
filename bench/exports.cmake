# The registry file and the CSV files at the size of a busy shop, against the sqlite3 tool.
if(TARGET stock_rules AND TARGET dati_core)
  add_executable(export_bench ${CMAKE_CURRENT_LIST_DIR}/export_bench.cpp)
  target_link_libraries(export_bench PRIVATE stock_rules dati_core vinorda_warnings)
endif()
