qm_add_bench(model SOURCES ${CMAKE_CURRENT_LIST_DIR}/model_bench.cpp LIBS folivox Qt6::Gui)
