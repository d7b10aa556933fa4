qm_add_test(platform_base_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/geometry_test.cpp ${CMAKE_CURRENT_LIST_DIR}/messages_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/tempfile_test.cpp ${CMAKE_CURRENT_LIST_DIR}/outcome_test.cpp
  LIBS zorbase)

# Codecs, number parsing and the INI reader also run in the sanitizer build.
qm_add_test(platform_text_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/utf8_test.cpp ${CMAKE_CURRENT_LIST_DIR}/cp1251_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/numbers_test.cpp
  LIBS zorbase
  LABELS asan)

qm_add_test(platform_ini_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/inifile_test.cpp ${CMAKE_CURRENT_LIST_DIR}/transport_ini_test.cpp
  LIBS zorbase
  LABELS asan)
