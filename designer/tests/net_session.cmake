# The networked store's keep-alive and pump hook as the interactive designer installs them.
qm_add_test(designer_net_session_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_session_test.cpp ${CMAKE_SOURCE_DIR}/controls/tests/gui_test_app.cpp
  LIBS quillmark_core zorappserver_lib)
