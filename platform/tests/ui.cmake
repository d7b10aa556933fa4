qm_add_test(platform_ui_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt_message_sink_test.cpp
  LIBS zorui)
