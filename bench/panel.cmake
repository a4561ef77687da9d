# The sales panel: building it, a tap to the line shown, a 30-line receipt.
if(TARGET panel_ui AND TARGET testsupport)
  add_executable(panel_bench ${CMAKE_CURRENT_LIST_DIR}/panel_bench.cpp)
  target_link_libraries(panel_bench PRIVATE panel_ui stock_rules testsupport Qt6::Test
                        vinorda_warnings)
endif()
if(TARGET panel_ui AND TARGET testsupport)
  add_executable(panel_shots ${CMAKE_CURRENT_LIST_DIR}/panel_shots.cpp)
  target_link_libraries(panel_shots PRIVATE panel_ui testsupport vinorda_warnings)
endif()
