qm_add_bench(geometry SOURCES ${CMAKE_CURRENT_LIST_DIR}/geometry_bench.cpp LIBS zorbase)
