# Start-up to the main window (without the splash wait), on the demo folder and a large one.
if(TARGET app_ui AND TARGET dati_core)
  add_executable(app_startup app_startup.cpp)
  target_link_libraries(app_startup PRIVATE app_ui dati_core vinorda_warnings)
endif()
