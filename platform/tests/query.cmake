# The query language: tokenizer, parser and the tree's wire form (hostile buffers run under the sanitizer).
qm_add_test(zordata_query_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/zordata/query_lexer_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zordata/query_parser_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zordata/query_wire_test.cpp
  LIBS zordata
  LABELS asan)

# The server's executor for command 32 on a seeded database.
qm_add_test(appserver_query_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/transport/query_exec_test.cpp
  LIBS zorappserver_lib
  LABELS asan)
