qm_add_bench(attr_path SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_attr_path.cpp LIBS folivox peltrane zorappserver_lib)
