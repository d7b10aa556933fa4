# The stream framing, the socket client and our application server. They speak the protocol and
# read hostile bytes, so they also run in the sanitizer build.
qm_add_test(platform_transport_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/transport/framing_test.cpp ${CMAKE_CURRENT_LIST_DIR}/transport/scramble_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/transport/socket_client_test.cpp
  LIBS zorappserver_lib
  LABELS asan
  TIMEOUT 120)

qm_add_test(platform_appserver_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/transport/appserver_test.cpp
  LIBS zorappserver_lib
  LABELS asan
  TIMEOUT 180
  NEEDS zorappserver)

# A short load run (QM_LOAD_SECONDS makes it longer for figures).
qm_add_test(platform_appserver_load_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/transport/load_test.cpp
  LIBS zorappserver_lib
  LABELS asan
  TIMEOUT 240
  NEEDS zorappserver)

# The server program against hostile clients: limits before and after login, guessing, ids, nesting;
# the slots requests are worked in.
qm_add_test(platform_server_limits_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/transport/server_limits_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/transport/login_throttle_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/transport/work_slots_test.cpp
  LIBS zorappserver_lib
  LABELS asan
  TIMEOUT 120
  NEEDS zorappserver)
