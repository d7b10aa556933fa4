qm_add_bench(generation SOURCES ${CMAKE_CURRENT_LIST_DIR}/generation_bench.cpp LIBS folivox Qt6::Gui)
qm_use_huge_page_allocator(bench_generation)
