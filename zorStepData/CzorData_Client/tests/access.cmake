# Access rights on the client: model, wire bodies, checks and patterns, without a server.
qm_add_test(peltrane_access_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/access_test.cpp
  LIBS peltrane
  LABELS asan)
