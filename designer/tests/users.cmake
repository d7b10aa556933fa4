# Report users, the login, the users dialog, the add-in modules and the data-source set-up.
if(NOT QM_SANITIZE)
  # Real add-in modules, loaded by the real loader. They call the program's own header and parameter code,
  # which the test executable exports to them as the program does.
  foreach(addin full noname nolist false)
    add_library(qm_test_addin_${addin} MODULE ${CMAKE_CURRENT_LIST_DIR}/addins/addin_${addin}.cpp)
    target_include_directories(qm_test_addin_${addin} PRIVATE
      $<TARGET_PROPERTY:folivox,INTERFACE_INCLUDE_DIRECTORIES>)
    set_target_properties(qm_test_addin_${addin} PROPERTIES PREFIX "" OUTPUT_NAME "test_addin_${addin}"
      LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test_addins)
  endforeach()
endif()

qm_add_test(designer_users_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/users_test.cpp ${CMAKE_CURRENT_LIST_DIR}/addins_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/data_source_test.cpp
          ${CMAKE_SOURCE_DIR}/report/tests/model/model_fixture.cpp
          ${CMAKE_SOURCE_DIR}/report/tests/generation/template_builder.cpp
          ${CMAKE_SOURCE_DIR}/report/tests/generation/report_integrity.cpp
  LIBS quillmark_core qm_testkit)
if(TARGET designer_users_tests)
  set_target_properties(designer_users_tests PROPERTIES ENABLE_EXPORTS ON)
  target_compile_definitions(designer_users_tests PRIVATE QM_TEST_ADDIN_DIR="${CMAKE_BINARY_DIR}/test_addins")
  foreach(addin full noname nolist false)
    add_dependencies(designer_users_tests qm_test_addin_${addin})
  endforeach()
endif()

# The real program asking for the login on a test X server (Xvfb, xdotool, xwd), driven from outside.
if(NOT QM_SANITIZE)
  qm_add_test(designer_users_xvfb_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/users_xvfb_test.cpp
            ${CMAKE_SOURCE_DIR}/report/tests/generation/template_builder.cpp
    LIBS quillmark_core qm_testkit
    LABELS xvfb
    TIMEOUT 120)
  add_dependencies(designer_users_xvfb_tests quillmark)
endif()
