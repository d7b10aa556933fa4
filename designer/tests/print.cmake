# Printing and preview: the page arithmetic, and the page loop printed to PDF files checked by region.
qm_add_test(designer_print_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/print_layout_test.cpp
  LIBS quillmark_core)

# The page loop printed to PDF files (Qt's PDF printer) and read back with poppler-utils, drawn into
# images, and the real program's print switches; printed and previewed pages against the page images.
qm_add_test(designer_print_output_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/print_pdf_test.cpp ${CMAKE_CURRENT_LIST_DIR}/print_preview_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/print_pages_test.cpp ${CMAKE_CURRENT_LIST_DIR}/print_fixture.cpp
          ${CMAKE_SOURCE_DIR}/report/tests/generation/template_builder.cpp
          ${CMAKE_CURRENT_LIST_DIR}/batch_fixture.cpp ${CMAKE_SOURCE_DIR}/controls/tests/gui_test_app.cpp
  LIBS quillmark_core qm_testkit zorbase
  TIMEOUT 300)
if(TARGET designer_print_output_tests)
  add_dependencies(designer_print_output_tests quillmark)
endif()

# The editor's commands on a selection and the element clipboard's envelope.
qm_add_test(designer_edit_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/element_commands_test.cpp ${CMAKE_SOURCE_DIR}/report/tests/model/model_fixture.cpp
          ${CMAKE_SOURCE_DIR}/controls/tests/gui_test_app.cpp
  LIBS quillmark_core)

qm_add_test(designer_clipboard_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/element_clipboard_test.cpp ${CMAKE_SOURCE_DIR}/report/tests/model/model_fixture.cpp
          ${CMAKE_SOURCE_DIR}/controls/tests/gui_test_app.cpp
  LIBS quillmark_core
  LABELS asan)

# The real program's element clipboard between two running programs, the page image read by xclip, and
# the preview from the menu, on a test X display.
if(NOT QM_SANITIZE)
  qm_add_test(designer_clipboard_xvfb_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/clipboard_xvfb_test.cpp ${CMAKE_SOURCE_DIR}/controls/tests/gui_test_app.cpp
    LIBS quillmark_core qm_testkit
    LABELS xvfb
    TIMEOUT 120)
  add_dependencies(designer_clipboard_xvfb_tests quillmark)
endif()

# The real program's page set-up, first start and open dialog in real windows on a test X display with a
# window manager, and its printing from the command line afterwards through a print queue of the test's own.
if(NOT QM_SANITIZE)
  qm_add_test(designer_print_xvfb_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/print_xvfb_test.cpp ${CMAKE_CURRENT_LIST_DIR}/print_fixture.cpp
    LIBS quillmark_core qm_testkit
    LABELS xvfb
    TIMEOUT 180)
  add_dependencies(designer_print_xvfb_tests quillmark)
endif()
