# The splitter bar, the menu combo box and the tree view: their rules as plain classes, also under the
# sanitizers, and the widgets over them drawn under Qt's offscreen platform.
qm_add_test(vistrel_bar_logic_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/splitter_rules_test.cpp ${CMAKE_CURRENT_LIST_DIR}/menu_combo_items_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/tree_item_layout_test.cpp
  LIBS vistrel
  LABELS asan)
qm_add_test(vistrel_bar_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/splitter_bar_test.cpp ${CMAKE_CURRENT_LIST_DIR}/menu_combo_box_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/tree_view_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/gui_test_app.cpp
  LIBS vistrel)
