# Program against the bare engine, one line per measurement (bench/run-all.sh runs it).
find_package(SQLite3 REQUIRED)
if(TARGET app_ui AND TARGET stock_rules AND TARGET testsupport)
  add_executable(ratios ${CMAKE_CURRENT_LIST_DIR}/ratios.cpp)
  target_link_libraries(ratios PRIVATE app_ui stock_rules masterdata_rules testsupport
                        SQLite::SQLite3 vinorda_warnings)
endif()
