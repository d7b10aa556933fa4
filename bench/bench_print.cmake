qm_add_bench(print SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_print.cpp LIBS quillmark_core)
