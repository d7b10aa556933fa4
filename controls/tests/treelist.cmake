# The tree-list, its exports and the HTML generator. The generator reads templates users write,
# so it runs under the sanitizers too.
qm_add_test(vistrel_html_gen_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/html_gen_test.cpp
  LIBS vistrel
  LABELS asan)

qm_add_test(vistrel_tree_list_rules_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tree_list_rules_test.cpp ${CMAKE_CURRENT_LIST_DIR}/tree_list_model_test.cpp
  LIBS vistrel
  LABELS asan)

# The tree-list widget, its view and the HTML pane, offscreen.
qm_add_test(vistrel_tree_list_widget_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tree_list_ctrl_test.cpp ${CMAKE_CURRENT_LIST_DIR}/html_view_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/gui_test_app.cpp
  LIBS vistrel Qt6::PrintSupport)
