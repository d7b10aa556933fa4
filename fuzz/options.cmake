# The fuzzing build (`make fuzz`): clang with libFuzzer, address and undefined-behaviour sanitizers. Every
# library is instrumented for coverage; only the fuzz targets link the fuzzer's main.
option(QM_FUZZ "libFuzzer build of the fuzz targets (clang only)" OFF)
if(QM_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "QM_FUZZ needs clang: cmake -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ ...")
  endif()
  if(QM_SANITIZE)
    message(FATAL_ERROR "QM_FUZZ brings its own sanitizers: leave QM_SANITIZE off")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
