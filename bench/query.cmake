qm_add_bench(query SOURCES ${CMAKE_CURRENT_LIST_DIR}/query_bench.cpp LIBS peltrane zorappserver_lib)
