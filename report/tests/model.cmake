# The report model: manager, sheets, elements, text values, records, frames and parameters. Store, record
# and parser paths run under the sanitizer too.
qm_add_test(report_model_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/model/model_fixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/element_geometry_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/break_string_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/record_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/text_value_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/element_text_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/manager_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/sheet_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/param_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/bound_rect_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/round_trip_test.cpp
  LIBS folivox
  LABELS asan)

# Drawing onto images with real fonts (offscreen platform).
qm_add_test(report_model_draw_tests
  SOURCES
    ${CMAKE_SOURCE_DIR}/platform/tests/gdi/gui_environment.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/model_fixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/draw_test.cpp
  LIBS folivox Qt6::Gui)
