# The server's own indexes and the rows its requests read through them.
qm_add_test(appserver_query_plan_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/transport/query_plan_test.cpp
  LIBS zorappserver_lib SQLite::SQLite3
  LABELS asan)
