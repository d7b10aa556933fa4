find_package(SQLite3 REQUIRED)
qm_add_bench(server_scale SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_server_scale.cpp LIBS zorappserver_lib SQLite::SQLite3)
