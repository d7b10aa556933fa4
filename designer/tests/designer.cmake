# The command line: the switch rules, the start line in "report.log" and the choice of Qt platform.
qm_add_test(designer_command_line_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/command_line_test.cpp ${CMAKE_CURRENT_LIST_DIR}/start_log_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/qt_platform_test.cpp
  LIBS quillmark_core
  LABELS asan)

# The real program run from a shell with no display.
qm_add_test(designer_acceptance_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/acceptance_test.cpp ${CMAKE_CURRENT_LIST_DIR}/batch_messages_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/batch_fixture.cpp
  LIBS qm_testkit zorbase
  TIMEOUT 300)
if(TARGET designer_acceptance_tests)
  add_dependencies(designer_acceptance_tests quillmark)
endif()

# The real program generating and merging reports: successful runs, broken templates, merges. Its templates
# are built through the model, so it links the report library and the model tests' helpers.
qm_add_test(designer_generation_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/acceptance_generation_test.cpp ${CMAKE_CURRENT_LIST_DIR}/batch_fixture.cpp
          ${CMAKE_SOURCE_DIR}/report/tests/model/model_fixture.cpp
  LIBS folivox qm_testkit zorbase
  TIMEOUT 300)
if(TARGET designer_generation_tests)
  add_dependencies(designer_generation_tests quillmark)
endif()
