# The server's own indexes and the rows its requests read through them.
qm_add_test(appserver_query_plan_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/transport/query_plan_test.cpp
  LIBS zorappserver_lib SQLite::SQLite3
  LABELS asan)

# The server program: a stop during a long request, a kill during saves.
qm_add_test(appserver_scale_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/transport/appserver_scale_test.cpp
  LIBS zorappserver_lib SQLite::SQLite3
  LABELS asan
  TIMEOUT 120
  NEEDS zorappserver)

# The triggers that keep the indexes, on rows written straight into the table.
qm_add_test(appserver_index_upkeep_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/transport/index_upkeep_test.cpp
  LIBS zorappserver_lib SQLite::SQLite3
  LABELS asan)
