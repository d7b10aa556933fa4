# Active users, the users' log and instance history: replies from hand-made bytes and from our
# server on 127.0.0.1, also when it fails in the middle of a reply.
qm_add_test(peltrane_users_log_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/users_log_test.cpp
  LIBS peltrane zorappserver_lib
  LABELS asan
  TIMEOUT 120)
