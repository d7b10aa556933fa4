# The access dialog's window offscreen over a store without a connection.
qm_add_test(peltrane_access_dialog_view_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/access_dialog_view_test.cpp ${CMAKE_SOURCE_DIR}/controls/tests/gui_test_app.cpp
  LIBS peltrane Qt6::Widgets)
