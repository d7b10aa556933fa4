# The tree-list view and the HTML pane in a real window on a test X server, checked by pixels.
if(NOT QM_SANITIZE)
  add_executable(treelist_window ${CMAKE_CURRENT_LIST_DIR}/treelist_window_program.cpp)
  target_link_libraries(treelist_window PRIVATE vistrel qm_testkit)
  qm_add_test(treelist_window_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/treelist_window_test.cpp
    LIBS vistrel qm_testkit
    LABELS xvfb
    TIMEOUT 120)
  add_dependencies(treelist_window_tests treelist_window)
endif()
