# The report dialogs. The core's hooks are scripted by a test that links only the core; the dialogs'
# logic classes are tested without widgets, their views under Qt's offscreen platform.
qm_add_test(report_dialog_hook_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/dialogs/dialog_hook_test.cpp
  LIBS folivox
  LABELS asan)

qm_add_test(report_dialog_logic_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/dialogs/condition_logic_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/dialogs/param_logic_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/dialogs/position_logic_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/dialogs/level_logic_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/dialogs/group_sort_logic_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/dialogs/element_pages_logic_test.cpp
  LIBS folivox_dialogs
  LABELS asan)

qm_add_test(report_dialog_view_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/dialogs/dialog_view_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/dialogs/element_menu_test.cpp
          ${CMAKE_SOURCE_DIR}/controls/tests/gui_test_app.cpp
  SOLO ${CMAKE_CURRENT_LIST_DIR}/dialogs/element_pages_view_test.cpp
  LIBS folivox_dialogs)

# The section, column and field set-up dialogs: their logic, and sections edited through them and saved.
qm_add_test(report_section_dialog_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/dialogs/section_round_trip_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/dialogs/field_setup_logic_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/dialogs/table_page_logic_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/model/model_fixture.cpp
          ${CMAKE_CURRENT_LIST_DIR}/generation/report_integrity.cpp
          ${CMAKE_CURRENT_LIST_DIR}/generation/template_builder.cpp
  LIBS folivox_dialogs
  LABELS asan)

qm_add_test(report_section_view_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/dialogs/section_view_test.cpp
          ${CMAKE_SOURCE_DIR}/controls/tests/gui_test_app.cpp
  LIBS folivox_dialogs)

# The table page and the section dialog in real windows on a test X server, driven from outside.
if(NOT QM_SANITIZE)
  add_executable(section_window ${CMAKE_CURRENT_LIST_DIR}/dialogs/section_window_main.cpp)
  target_link_libraries(section_window PRIVATE folivox_dialogs qm_testkit)
  qm_add_test(report_section_window_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/dialogs/section_window_test.cpp
    LIBS qm_testkit
    LABELS xvfb
    TIMEOUT 120)
  add_dependencies(report_section_window_tests section_window)
endif()

# The property dialog and an element menu in real windows on a test X server (Xvfb, xdotool, xwd).
if(NOT QM_SANITIZE)
  add_executable(folivox_props_window ${CMAKE_CURRENT_LIST_DIR}/dialogs/props_window_main.cpp)
  target_link_libraries(folivox_props_window PRIVATE folivox_dialogs qm_testkit)
  qm_add_test(folivox_props_window_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/dialogs/props_window_test.cpp
    LIBS vistrel qm_testkit
    LABELS xvfb
    TIMEOUT 120)
  add_dependencies(folivox_props_window_tests folivox_props_window)
endif()
