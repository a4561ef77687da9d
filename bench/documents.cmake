if(TARGET documents_ui AND TARGET dati_core)
  # Pictures of the documents window: documents_shots OUTDIR WIDTHxHEIGHT [ZOOM]
  add_executable(documents_shots ${CMAKE_CURRENT_LIST_DIR}/documents_shots.cpp)
  target_link_libraries(documents_shots PRIVATE documents_ui dati_core vinorda_warnings)
endif()
