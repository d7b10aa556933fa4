qm_add_test(zordata_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/zordata/values_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zordata/databuf_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zordata/stepbuf_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zordata/dictionary_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zordata/store_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zordata/file_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zordata/farcopy_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zordata/packed_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zordata/step_format_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zordata/fictive_csv_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/alloc_counter.cpp
  SOLO ${CMAKE_CURRENT_LIST_DIR}/zordata/hostile_test.cpp
  LIBS zordata
  LABELS asan)
