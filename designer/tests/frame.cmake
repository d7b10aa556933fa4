# The designer's main frame: command rules, recent files, the About version, and the frame itself offscreen.
qm_add_test(designer_frame_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/frame_rules_test.cpp ${CMAKE_CURRENT_LIST_DIR}/frame_window_test.cpp
          ${CMAKE_SOURCE_DIR}/controls/tests/gui_test_app.cpp
  LIBS quillmark_core)
