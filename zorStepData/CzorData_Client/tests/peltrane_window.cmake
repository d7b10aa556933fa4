# The retry dialog, the progress window and the wait window in real windows on a test X server (Xvfb,
# xdotool, xwd), driven from outside.
if(NOT QM_SANITIZE)
  add_executable(peltrane_window ${CMAKE_CURRENT_LIST_DIR}/net_window_main.cpp)
  target_link_libraries(peltrane_window PRIVATE peltrane qm_testkit)
  qm_add_test(peltrane_real_window_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_window_test.cpp
    LIBS peltrane qm_testkit
    LABELS xvfb
    TIMEOUT 120)
  add_dependencies(peltrane_real_window_tests peltrane_window)
endif()

# The query editor and the dictionary picker in real windows.
if(NOT QM_SANITIZE)
  add_executable(peltrane_query_window ${CMAKE_CURRENT_LIST_DIR}/query_window_main.cpp)
  target_link_libraries(peltrane_query_window PRIVATE peltrane qm_testkit)
  target_compile_definitions(peltrane_query_window PRIVATE QM_DICT_DIR="${QM_DICT_DIR}")
  qm_add_test(peltrane_query_window_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/query_window_test.cpp
    LIBS peltrane qm_testkit
    LABELS xvfb
    TIMEOUT 120)
  add_dependencies(peltrane_query_window_tests peltrane_query_window)
endif()

# The access dialog and its user-and-group picker in real windows.
if(NOT QM_SANITIZE)
  add_executable(peltrane_access_window ${CMAKE_CURRENT_LIST_DIR}/access_window_main.cpp)
  target_link_libraries(peltrane_access_window PRIVATE peltrane qm_testkit)
  qm_add_test(peltrane_access_window_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/access_window_test.cpp
    LIBS peltrane qm_testkit
    LABELS xvfb
    TIMEOUT 120)
  add_dependencies(peltrane_access_window_tests peltrane_access_window)
endif()
