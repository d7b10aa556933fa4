# Attribute paths through a networked store logged in on our server on 127.0.0.1.
qm_add_test(report_net_attr_path_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/netpath/net_attr_path_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/model_fixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/report_integrity.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/template_builder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/generation_fixture.cpp
  LIBS folivox peltrane zorappserver_lib
  LABELS asan
  TIMEOUT 120)
