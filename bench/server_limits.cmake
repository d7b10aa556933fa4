qm_add_bench(server_limits SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_server_limits.cpp LIBS zorappserver_lib GTest::gtest)
target_compile_definitions(bench_server_limits PRIVATE QM_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
add_dependencies(bench_server_limits zorappserver)
