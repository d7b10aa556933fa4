qm_add_bench(net_save SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_net_save.cpp LIBS peltrane zorappserver_lib GTest::gtest)
target_compile_definitions(bench_net_save PRIVATE QM_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
add_dependencies(bench_net_save zorappserver)
