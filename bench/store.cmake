qm_add_bench(store SOURCES ${CMAKE_CURRENT_LIST_DIR}/store_bench.cpp LIBS zordata)
