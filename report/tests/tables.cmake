# Tables, continuations, contents and page-reference elements: the store, records (hostile ones under
# the sanitizer too) and the contents tree.
qm_add_test(report_tables_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/model/model_fixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tables/tables_fixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tables/table_store_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tables/table_record_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tables/table_content_test.cpp
  LIBS folivox
  LABELS asan)

# Drawing the four kinds onto images (offscreen platform, fixed text metrics).
qm_add_test(report_tables_draw_tests
  SOURCES
    ${CMAKE_SOURCE_DIR}/platform/tests/gdi/gui_environment.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/model_fixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tables/tables_fixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tables/tables_draw_test.cpp
  LIBS folivox Qt6::Gui)
