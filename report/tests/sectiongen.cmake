# Section generation: tables filled from the data source across continuation sheets and cloned pages, with
# titles, groups, totals, conditions and pictures, measured with fixed metrics. Under the sanitizer too:
# generation writes into the store and decodes pictures from data-buffer cells.
qm_add_test(report_sectiongen_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/model/model_fixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sections/sections_fixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sectiongen/sectiongen_fixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sectiongen/gen_table_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sectiongen/gen_groups_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sectiongen/gen_lines_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sectiongen/page_fit_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sectiongen/cell_fit_test.cpp
  LIBS folivox
  LABELS asan)
