# The dialog controls in real windows on a test X server (Xvfb, xdotool, xwd), driven from outside.
if(NOT QM_SANITIZE)
  add_executable(controls_window ${CMAKE_CURRENT_LIST_DIR}/controls_window_program.cpp)
  target_link_libraries(controls_window PRIVATE vistrel zorui qm_testkit)
  qm_add_test(controls_window_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/controls_window_test.cpp
    LIBS vistrel qm_testkit
    LABELS xvfb
    TIMEOUT 120)
  add_dependencies(controls_window_tests controls_window)
endif()
