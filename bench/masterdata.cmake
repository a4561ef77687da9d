if(TARGET masterdata_ui)
  add_executable(masterdata_bench ${CMAKE_CURRENT_LIST_DIR}/masterdata_bench.cpp)
  target_link_libraries(masterdata_bench PRIVATE masterdata_ui testsupport vinorda_warnings)
endif()
if(TARGET masterdata_ui)
  # Pictures of the three windows for a look: masterdata_shots OUTDIR WIDTHxHEIGHT ZOOM
  add_executable(masterdata_shots ${CMAKE_CURRENT_LIST_DIR}/masterdata_shots.cpp)
  target_link_libraries(masterdata_shots PRIVATE masterdata_ui testsupport vinorda_warnings)
endif()
