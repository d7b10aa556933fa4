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
# The command bars (offscreen): the logo band's animation and strips, the customisable tool bar with its
# texts from bars_test.rc's strings, its dialog and its layout in the profile.
qm_add_test(vistrel_command_bar_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/rebar_test.cpp ${CMAKE_CURRENT_LIST_DIR}/toolbar_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/gui_test_app.cpp
  LIBS vistrel)
if(TARGET vistrel_command_bar_tests)
  qm_add_resources(vistrel_command_bar_tests Program ${CMAKE_CURRENT_LIST_DIR}/bars_test.rc)
endif()

# Everything at once in a real window on a test X server (Xvfb, xwd): one screenshot checked by regions.
if(NOT QM_SANITIZE)
  add_executable(bars_window ${CMAKE_CURRENT_LIST_DIR}/bars_window_program.cpp)
  target_link_libraries(bars_window PRIVATE vistrel qm_testkit)
  qm_add_resources(bars_window Program ${CMAKE_CURRENT_LIST_DIR}/bars_test.rc)
  qm_add_test(vistrel_bars_window_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/bars_window_test.cpp
    LIBS vistrel qm_testkit
    LABELS xvfb
    TIMEOUT 120)
  add_dependencies(vistrel_bars_window_tests bars_window)
endif()
