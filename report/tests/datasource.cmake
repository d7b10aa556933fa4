# The data source: value text, the table, the separated-values file, formulas and sorting.
qm_add_test(datasource_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/datasource/value_text_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/datasource/header_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/datasource/table_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/datasource/separated_values_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/datasource/formula_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/datasource/extend_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/datasource/sort_test.cpp
    ${CMAKE_SOURCE_DIR}/platform/tests/alloc_counter.cpp
  LIBS folivox
  LABELS asan)
