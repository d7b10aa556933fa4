# The transport client. The protocol tests read hostile replies and run in the sanitizer build too.
qm_add_test(peltrane_protocol_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/protocol_test.cpp ${CMAKE_CURRENT_LIST_DIR}/texts_test.cpp
  LIBS peltrane
  LABELS asan
  TIMEOUT 120)

qm_add_test(peltrane_retry_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/retry_test.cpp
  LIBS peltrane
  LABELS asan)

# Against our server on 127.0.0.1: the fault table runs under the sanitizer too.
qm_add_test(peltrane_connection_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/connection_test.cpp
  LIBS peltrane zorappserver_lib
  LABELS asan
  TIMEOUT 180
  NEEDS zorappserver)

# The windows of the transport client under the offscreen platform.
qm_add_test(peltrane_window_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/windows_test.cpp ${CMAKE_SOURCE_DIR}/controls/tests/gui_test_app.cpp
  LIBS peltrane Qt6::Widgets)

# The networked store against our server on 127.0.0.1: login, settings, loading.
qm_add_test(peltrane_net_store_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_store_test.cpp ${CMAKE_CURRENT_LIST_DIR}/net_services_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/net_blob_test.cpp ${CMAKE_CURRENT_LIST_DIR}/net_load_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/net_deleted_test.cpp ${CMAKE_CURRENT_LIST_DIR}/net_dictionary_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/net_detach_test.cpp ${CMAKE_CURRENT_LIST_DIR}/czor_api_test.cpp
  LIBS peltrane zorappserver_lib
  LABELS asan
  TIMEOUT 120)

# The networked store against the server program, killed, restarted or stalled mid-operation.
qm_add_test(peltrane_net_fault_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_fault_test.cpp
  LIBS peltrane zorappserver_lib
  LABELS asan
  TIMEOUT 180
  NEEDS zorappserver)
# Queries against our server on 127.0.0.1, with the failures of the 32 exchange.
qm_add_test(peltrane_query_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_query_test.cpp
  LIBS peltrane zorappserver_lib
  LABELS asan
  TIMEOUT 120
  NEEDS zorappserver)

# The query editor's logic and its dialogs offscreen.
qm_add_test(peltrane_query_edit_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/query_edit_test.cpp ${CMAKE_SOURCE_DIR}/controls/tests/gui_test_app.cpp
  LIBS peltrane Qt6::Widgets)
