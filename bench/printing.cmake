# Printed lists: from "&Conferma stampa" to the prepared report on 20,000 customers and on one
# product with 20,000 journal rows.
if(TARGET printing_lists AND TARGET testsupport AND TARGET report_data)
  add_executable(printing_lists_bench ${CMAKE_CURRENT_LIST_DIR}/printing_lists_bench.cpp)
  target_link_libraries(printing_lists_bench PRIVATE printing_lists report_data testsupport
                        Qt6::Gui vinorda_warnings)
  target_compile_definitions(printing_lists_bench PRIVATE
    VINORDA_TEMPLATES_DIR="${CMAKE_SOURCE_DIR}/data/stampe")
endif()
