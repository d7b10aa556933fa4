qm_add_bench(datasource SOURCES ${CMAKE_CURRENT_LIST_DIR}/datasource_bench.cpp LIBS folivox)
