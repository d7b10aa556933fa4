# The editor view: repainting a full sheet, and a mouse move while a large selection is dragged.
qm_add_bench(view SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_view.cpp LIBS quillmark_core)
