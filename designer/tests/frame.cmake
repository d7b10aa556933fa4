# The designer's main frame: command rules, recent files, the About version, and the frame itself offscreen.
qm_add_test(designer_frame_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/frame_rules_test.cpp ${CMAKE_CURRENT_LIST_DIR}/frame_window_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/frame_placement_test.cpp ${CMAKE_CURRENT_LIST_DIR}/qt_translations_test.cpp
          ${CMAKE_SOURCE_DIR}/controls/tests/gui_test_app.cpp
  LIBS quillmark_core)

# The real program's frame on a test X server (Xvfb, xdotool, xwd), driven from outside.
if(NOT QM_SANITIZE)
  qm_add_test(designer_frame_xvfb_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/frame_xvfb_test.cpp
    LIBS qm_testkit
    LABELS xvfb
    TIMEOUT 120)
  add_dependencies(designer_frame_xvfb_tests quillmark)
endif()
