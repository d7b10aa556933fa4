qm_add_bench(net SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_bench.cpp LIBS peltrane zorappserver_lib)
