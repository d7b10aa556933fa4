# The server's rights, history, users' log and active users with two users on 127.0.0.1.
qm_add_test(peltrane_server_rights_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/server_rights_test.cpp
  LIBS peltrane zorappserver_lib
  LABELS asan
  TIMEOUT 120)
