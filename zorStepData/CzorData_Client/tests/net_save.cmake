# Saving against our server on 127.0.0.1, read back by fresh connections.
qm_add_test(peltrane_net_save_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_save_test.cpp
  LIBS peltrane zorappserver_lib
  LABELS asan
  TIMEOUT 120)

# Searches and uniqueness tests, in memory and on our server.
qm_add_test(peltrane_net_search_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_search_test.cpp
  LIBS peltrane zorappserver_lib
  LABELS asan
  TIMEOUT 120)

# Nothing lost: client processes through server kills and connection cuts.
qm_add_test(peltrane_nothing_lost_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_nothing_lost_test.cpp
  LIBS peltrane zorappserver_lib
  LABELS asan
  TIMEOUT 240
  NEEDS zorappserver)

# The server's save on its own: hostile buffers and replayed tokens.
qm_add_test(appserver_save_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/appserver_save_test.cpp
  LIBS zorappserver_lib
  LABELS asan)
