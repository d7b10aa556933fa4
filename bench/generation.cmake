qm_add_bench(generation SOURCES ${CMAKE_CURRENT_LIST_DIR}/generation_bench.cpp LIBS folivox Qt6::Gui)
