qm_add_bench(doc SOURCES ${CMAKE_CURRENT_LIST_DIR}/doc_bench.cpp
  ${CMAKE_SOURCE_DIR}/report/tests/generation/template_builder.cpp
  LIBS quillmark_core)
