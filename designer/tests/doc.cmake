# The report document and the navigator items, offscreen.
qm_add_test(designer_doc_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/doc_test.cpp ${CMAKE_CURRENT_LIST_DIR}/doc_navigator_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/page_setup_doc_test.cpp
          ${CMAKE_SOURCE_DIR}/controls/tests/gui_test_app.cpp
          ${CMAKE_SOURCE_DIR}/report/tests/generation/template_builder.cpp
          ${CMAKE_SOURCE_DIR}/report/tests/model/model_fixture.cpp
          ${CMAKE_SOURCE_DIR}/report/tests/generation/report_integrity.cpp
          ${CMAKE_SOURCE_DIR}/report/tests/generation/generation_fixture.cpp
          ${CMAKE_SOURCE_DIR}/report/tests/generation/end_to_end.cpp
  LIBS quillmark_core)
