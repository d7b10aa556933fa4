# The dialog controls. Their rules (anchors, placements, sort order, widths, colours, command
# lines, folder confirmation) are plain classes tested without widgets, also under the sanitizers.
qm_add_test(vistrel_control_logic_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/anchor_layout_test.cpp ${CMAKE_CURRENT_LIST_DIR}/button_look_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/sort_order_test.cpp ${CMAKE_CURRENT_LIST_DIR}/title_tip_rules_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/folder_confirm_test.cpp ${CMAKE_CURRENT_LIST_DIR}/hyperlink_rules_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/sizing_bar_rules_test.cpp ${CMAKE_CURRENT_LIST_DIR}/version_string_test.cpp
  LIBS vistrel
  LABELS asan)
if(TARGET vistrel_control_logic_tests)
  target_compile_definitions(vistrel_control_logic_tests PRIVATE QM_PROJECT_VERSION="${PROJECT_VERSION}")
endif()

# The widgets over those rules, drawn under Qt's offscreen platform.
qm_add_test(vistrel_control_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/resizable_dialog_test.cpp ${CMAKE_CURRENT_LIST_DIR}/button_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/title_tip_test.cpp ${CMAKE_CURRENT_LIST_DIR}/sort_list_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/select_folder_dialog_test.cpp ${CMAKE_CURRENT_LIST_DIR}/hyperlink_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/sizing_control_bar_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/gui_test_app.cpp
  LIBS vistrel)
