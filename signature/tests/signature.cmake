# Plug-ins the tests load: the echo plug-in and its companions from one source, and the OpenSSL-backed one.
# Sigilon itself links no OpenSSL.
find_package(OpenSSL REQUIRED)
set(SIG_PLUGIN_DIR ${CMAKE_CURRENT_LIST_DIR}/plugins)
function(sig_add_echo_plugin name)
  add_library(${name} MODULE ${SIG_PLUGIN_DIR}/echo_plugin.cpp)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE ${ARGN})
  set_target_properties(${name} PROPERTIES PREFIX "lib" CXX_VISIBILITY_PRESET hidden)
  # GNU-unique symbols (pulled in by the standard library's templates) would pin the module in the
  # process, and the tests check that a released plug-in really goes.
  target_compile_options(${name} PRIVATE -fno-gnu-unique)
endfunction()
sig_add_echo_plugin(sig_echo_test)
sig_add_echo_plugin(sig_echo_no7_test ECHO_WITHOUT_7)
sig_add_echo_plugin(sig_echo_no4_test ECHO_WITHOUT_4)
sig_add_echo_plugin(sig_echo_only6_test ECHO_ONLY_6)
add_library(sig_openssl_test MODULE ${SIG_PLUGIN_DIR}/openssl_plugin.cpp)
target_include_directories(sig_openssl_test PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(sig_openssl_test PRIVATE zorbase OpenSSL::Crypto)
set_target_properties(sig_openssl_test PROPERTIES PREFIX "lib" CXX_VISIBILITY_PRESET hidden)
target_compile_options(sig_openssl_test PRIVATE -fno-gnu-unique)
set(SIG_TEST_PLUGINS sig_echo_test sig_echo_no7_test sig_echo_no4_test sig_echo_only6_test sig_openssl_test)

function(sig_use_plugins test)
  if(NOT TARGET ${test})
    return()
  endif()
  add_dependencies(${test} ${SIG_TEST_PLUGINS})
  target_compile_definitions(${test} PRIVATE
    SIG_ECHO_PLUGIN="$<TARGET_FILE:sig_echo_test>"
    SIG_ECHO_NO7_PLUGIN="$<TARGET_FILE:sig_echo_no7_test>"
    SIG_ECHO_NO4_PLUGIN="$<TARGET_FILE:sig_echo_no4_test>"
    SIG_ECHO_ONLY6_PLUGIN="$<TARGET_FILE:sig_echo_only6_test>"
    SIG_OPENSSL_PLUGIN="$<TARGET_FILE:sig_openssl_test>")
  target_link_libraries(${test} PRIVATE ${CMAKE_DL_LIBS})
endfunction()

# The registry, its files and the plug-in loading, hostile inputs included: no widgets, so also under the sanitizer.
qm_add_test(signature_provider_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/provider_test.cpp ${CMAKE_CURRENT_LIST_DIR}/config_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/openssl_test.cpp ${CMAKE_CURRENT_LIST_DIR}/dialog_model_test.cpp
  LIBS sigilon
  LABELS asan)
sig_use_plugins(signature_provider_tests)

# The dialogs' widgets, offscreen.
qm_add_test(signature_dialog_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/dialog_view_test.cpp
  LIBS sigilon Qt6::Widgets)
sig_use_plugins(signature_dialog_tests)
