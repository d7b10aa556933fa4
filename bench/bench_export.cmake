qm_add_bench(export SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_export.cpp LIBS quillmark_core)
