# The administration dialogs in real windows on a test X server (Xvfb, xdotool, xwd), driven from outside.
if(NOT QM_SANITIZE)
  add_executable(signature_window ${CMAKE_CURRENT_LIST_DIR}/sign_window_main.cpp)
  target_link_libraries(signature_window PRIVATE sigilon zorui qm_testkit)
  qm_add_test(signature_window_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/sign_window_test.cpp
    LIBS sigilon qm_testkit
    LABELS xvfb
    TIMEOUT 120)
  sig_use_plugins(signature_window_tests)
  add_dependencies(signature_window_tests signature_window)
endif()
