# Table sections: levels, columns, conditions, grouping columns and sections in the store, in memory records
# (hostile ones included) and in the group totals. Store and record paths run under the sanitizer too.
qm_add_test(report_sections_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/model/model_fixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sections/sections_fixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sections/level_column_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sections/condition_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sections/group_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sections/section_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sections/section_round_trip_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sections/section_record_test.cpp
  LIBS folivox
  LABELS asan)
