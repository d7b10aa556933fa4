# qm_add_test(<name> SOURCES ... [SOLO ...] LIBS ... [LABELS ...])
# One GoogleTest executable per module area; each test case becomes a CTest test.
# A test's sources are compiled as one unit (gtest and Qt headers parsed once instead of once per file, the
# larger part of a cold build); SOLO names sources whose file-local helpers clash with another source's.
# In the sanitizer build only tests labelled "asan" are made, and `asan_tests` builds them all.
if(NOT TARGET asan_tests)
  add_custom_target(asan_tests)
endif()
if(NOT TARGET all_tests)
  add_custom_target(all_tests)
endif()

function(qm_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;SOLO;LIBS;LABELS;NEEDS" ${ARGN})
  list(FIND T_LABELS asan is_asan)
  if(QM_SANITIZE AND is_asan EQUAL -1)
    return()
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES} ${T_SOLO})
  set_target_properties(${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 0)
  if(T_SOLO)
    set_source_files_properties(${T_SOLO} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
  endif()
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest GTest::gtest_main)
  # The code under test is optimised (and, in the sanitizer build, instrumented) in its libraries; a
  # test's own code is assertion macros that compile in half the time without either.
  if(QM_SANITIZE)
    target_compile_options(${name} PRIVATE -fno-sanitize=all)
  else()
    target_compile_options(${name} PRIVATE $<$<NOT:$<CONFIG:Debug>>:-O0>)
  endif()
  target_compile_definitions(${name} PRIVATE
    QM_SOURCE_DIR="${CMAKE_SOURCE_DIR}" QM_DICT_DIR="${QM_DICT_DIR}"
    QM_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
  set(props TIMEOUT ${T_TIMEOUT} ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  if(T_LABELS)
    list(APPEND props LABELS "${T_LABELS}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES ${props})
  add_dependencies(all_tests ${name})
  # The programs a test starts are built before it.
  if(T_NEEDS)
    add_dependencies(${name} ${T_NEEDS})
  endif()
  if(NOT is_asan EQUAL -1)
    add_dependencies(asan_tests ${name})
  endif()
endfunction()
