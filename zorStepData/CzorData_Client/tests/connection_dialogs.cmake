# The connection dialogs: their logic, command 12 on a client of its own, and their windows offscreen.
qm_add_test(peltrane_connection_dialog_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/connection_dialogs_test.cpp ${CMAKE_CURRENT_LIST_DIR}/connection_dialogs_view_test.cpp
    ${CMAKE_SOURCE_DIR}/controls/tests/gui_test_app.cpp
  LIBS peltrane zorappserver_lib Qt6::Widgets
  TIMEOUT 120)

# The four dialogs as real windows on a test X server (Xvfb, xdotool, xwd), photographed.
if(NOT QM_SANITIZE)
  add_executable(peltrane_connect_window ${CMAKE_CURRENT_LIST_DIR}/connect_window_main.cpp)
  target_link_libraries(peltrane_connect_window PRIVATE peltrane qm_testkit)
  qm_add_test(peltrane_connect_window_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/connect_window_test.cpp
    LIBS peltrane qm_testkit
    LABELS xvfb
    TIMEOUT 120)
  add_dependencies(peltrane_connect_window_tests peltrane_connect_window)
endif()
