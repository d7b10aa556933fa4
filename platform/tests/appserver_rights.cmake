# The server program's rights against a hostile client (accounts made by the program itself).
qm_add_test(platform_appserver_rights_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/transport/rights_attack_test.cpp
  LIBS zorappserver_lib SQLite::SQLite3
  LABELS asan
  TIMEOUT 180
  NEEDS zorappserver)
