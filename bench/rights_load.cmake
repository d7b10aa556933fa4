qm_add_bench(rights_load SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_rights_load.cpp LIBS peltrane zorappserver_lib GTest::gtest)
target_compile_definitions(bench_rights_load PRIVATE QM_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
