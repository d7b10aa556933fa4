qm_add_bench(image SOURCES ${CMAKE_CURRENT_LIST_DIR}/image_bench.cpp LIBS folivox_image)
