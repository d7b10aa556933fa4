# Access rights on the client: model, wire bodies, checks and patterns, without a server; the
# store's index by id and pattern placeholders.
qm_add_test(peltrane_access_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/access_test.cpp ${CMAKE_CURRENT_LIST_DIR}/net_state_test.cpp
  LIBS peltrane
  LABELS asan)

# The rights operations over the wire: a relay answers 33 and 34 with hand-written bytes and
# passes the rest to our server on 127.0.0.1.
qm_add_test(peltrane_access_net_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/access_net_test.cpp
  LIBS peltrane zorappserver_lib
  LABELS asan
  TIMEOUT 120)

# Two users of our server on 127.0.0.1 through the store's rights operations, and the server
# program killed or restarted around a rights exchange.
qm_add_test(peltrane_access_e2e_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/access_e2e_test.cpp
  LIBS peltrane zorappserver_lib
  LABELS asan
  TIMEOUT 120
  NEEDS zorappserver)
