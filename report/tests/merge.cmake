# Merging reports: sheet order, page fields, parameters, contents nodes, the list merge with its progress,
# and failures (hostile and truncated files, read-only targets, failed saves) that leave the target intact.
qm_add_test(report_merge_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/merge/merge_fixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/merge/merge_order_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/merge/merge_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/merge/merge_list_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/merge/merge_failure_test.cpp
  LIBS folivox
  LABELS asan)
