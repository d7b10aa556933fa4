# The report document and the navigator items, offscreen.
qm_add_test(designer_doc_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/doc_test.cpp ${CMAKE_CURRENT_LIST_DIR}/doc_navigator_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/doc_observer_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/page_setup_doc_test.cpp
          ${CMAKE_SOURCE_DIR}/controls/tests/gui_test_app.cpp
          ${CMAKE_SOURCE_DIR}/report/tests/generation/template_builder.cpp
          ${CMAKE_SOURCE_DIR}/report/tests/model/model_fixture.cpp
          ${CMAKE_SOURCE_DIR}/report/tests/generation/report_integrity.cpp
          ${CMAKE_SOURCE_DIR}/report/tests/generation/generation_fixture.cpp
          ${CMAKE_SOURCE_DIR}/report/tests/generation/end_to_end.cpp
  LIBS quillmark_core)

# The document holds no window: designer/doc includes nothing of the frame or the navigator, and the three
# folders include each other in no cycle. The second run shows the check refusing a tree that breaks both.
add_test(NAME designer_doc_layers
  COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_SOURCE_DIR} -P ${CMAKE_CURRENT_LIST_DIR}/include_graph/designer_layers.cmake)
add_test(NAME designer_doc_layers_refuses
  COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_CURRENT_LIST_DIR}/include_graph/bad
          -P ${CMAKE_CURRENT_LIST_DIR}/include_graph/designer_layers.cmake)
set_tests_properties(designer_doc_layers_refuses PROPERTIES
  PASS_REGULAR_EXPRESSION "designer/doc/bad_doc.h includes designer/frame/main_frame.h.*cycle between designer/frame and designer/navigator")
