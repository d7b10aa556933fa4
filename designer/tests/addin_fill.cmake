# The report filled by an add-in query through a session with our server on 127.0.0.1 (batch mode 2).
if(NOT QM_SANITIZE)
  add_library(qm_test_addin_store MODULE ${CMAKE_CURRENT_LIST_DIR}/addins/addin_store.cpp)
  target_include_directories(qm_test_addin_store PRIVATE
    $<TARGET_PROPERTY:folivox,INTERFACE_INCLUDE_DIRECTORIES> $<TARGET_PROPERTY:peltrane,INTERFACE_INCLUDE_DIRECTORIES>)
  set_target_properties(qm_test_addin_store PROPERTIES PREFIX "" OUTPUT_NAME "test_addin_store"
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test_addins)
  qm_add_test(designer_addin_fill_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/addin_fill_test.cpp
            ${CMAKE_SOURCE_DIR}/controls/tests/gui_test_app.cpp
            ${CMAKE_SOURCE_DIR}/report/tests/generation/template_builder.cpp
    LIBS quillmark_core zorappserver_lib
    TIMEOUT 120)
  set_target_properties(designer_addin_fill_tests PROPERTIES ENABLE_EXPORTS ON)
  target_compile_definitions(designer_addin_fill_tests PRIVATE QM_TEST_ADDIN_DIR="${CMAKE_BINARY_DIR}/test_addins")
  add_dependencies(designer_addin_fill_tests qm_test_addin_store)
endif()
