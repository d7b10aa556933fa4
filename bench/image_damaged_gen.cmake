# The program generating from a template of damaged pictures: time and peak memory of `quillmark -gen`.
qm_add_bench(image_damaged_gen
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/image_damaged_gen_bench.cpp)
target_link_libraries(bench_image_damaged_gen PRIVATE qm_testkit)
target_include_directories(bench_image_damaged_gen PRIVATE ${CMAKE_SOURCE_DIR})
add_dependencies(bench_image_damaged_gen quillmark)
