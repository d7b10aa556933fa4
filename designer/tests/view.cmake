# The editor view: its rules without a widget, and the view driven with synthetic events (offscreen).
qm_add_test(designer_view_logic_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/view_logic_test.cpp
          ${CMAKE_SOURCE_DIR}/report/tests/model/model_fixture.cpp
  LIBS quillmark_core)
