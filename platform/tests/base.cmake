qm_add_test(platform_base_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/geometry_test.cpp ${CMAKE_CURRENT_LIST_DIR}/messages_test.cpp
  LIBS zorbase)
