# The text controls: the mask language and RTF of our subset as plain classes (also under the
# sanitizers, with hostile RTF), and the widgets over them under Qt's offscreen platform.
qm_add_test(vistrel_text_logic_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/edit_mask_test.cpp ${CMAKE_CURRENT_LIST_DIR}/rtf_test.cpp
  LIBS vistrel
  LABELS asan)

qm_add_test(vistrel_text_control_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/masked_edit_test.cpp ${CMAKE_CURRENT_LIST_DIR}/rich_edit_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/text_rotator_test.cpp ${CMAKE_CURRENT_LIST_DIR}/static_label_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/gui_test_app.cpp
  SOLO ${CMAKE_CURRENT_LIST_DIR}/date_combo_test.cpp
  LIBS vistrel)
