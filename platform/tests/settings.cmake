qm_add_test(platform_settings_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/profile_test.cpp
  LIBS zorplatform)
