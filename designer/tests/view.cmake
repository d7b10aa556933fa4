# The editor view: its rules without a widget, and the view driven with synthetic events (offscreen).
qm_add_test(designer_view_logic_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/view_logic_test.cpp
          ${CMAKE_SOURCE_DIR}/report/tests/model/model_fixture.cpp
  LIBS quillmark_core)

# Synthetic mouse and key events come from QtTest (in qt6-base-dev).
find_package(Qt6 REQUIRED COMPONENTS Test)
qm_add_test(designer_view_widget_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/view_widget_test.cpp
          ${CMAKE_SOURCE_DIR}/report/tests/model/model_fixture.cpp
          ${CMAKE_SOURCE_DIR}/controls/tests/gui_test_app.cpp
  LIBS quillmark_core Qt6::Test)

qm_add_test(designer_view_doc_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/view_doc_test.cpp
          ${CMAKE_SOURCE_DIR}/controls/tests/gui_test_app.cpp
  LIBS quillmark_core Qt6::Test)

# The real program's editor view on a test X server (Xvfb, xdotool, xwd), driven from outside.
if(NOT QM_SANITIZE)
  qm_add_test(designer_view_xvfb_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/view_xvfb_test.cpp ${CMAKE_CURRENT_LIST_DIR}/print_fixture.cpp
            ${CMAKE_SOURCE_DIR}/controls/tests/gui_test_app.cpp
    LIBS quillmark_core qm_testkit zorbase
    LABELS xvfb
    TIMEOUT 120)
  add_dependencies(designer_view_xvfb_tests quillmark)
endif()

# The insert commands, Save As of a template and the page export by type, in the real program on a test X
# server with a window manager.
if(NOT QM_SANITIZE)
  qm_add_test(designer_insert_xvfb_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/insert_xvfb_test.cpp
            ${CMAKE_SOURCE_DIR}/controls/tests/gui_test_app.cpp
    LIBS quillmark_core qm_testkit zorbase
    LABELS xvfb
    TIMEOUT 180)
  add_dependencies(designer_insert_xvfb_tests quillmark)
endif()
