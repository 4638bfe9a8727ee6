# libFuzzer is a clang feature. A fuzz build (BENCH_FUZZ) compiles every target
# with its coverage instrumentation, so that the fuzzer sees the branches of
# the code under test, and the fuzz targets link libFuzzer's own main. Every
# other build compiles the products as they ship, and the fuzz targets link
# tests/fuzz/corpus_runner.cpp instead.
if(NOT BENCH_FUZZ)
  return()
endif()
include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_FLAGS -fsanitize=fuzzer)
set(CMAKE_REQUIRED_LINK_OPTIONS -fsanitize=fuzzer)
check_cxx_source_compiles([[
#include <cstddef>
#include <cstdint>
extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }
]] BENCH_HAVE_LIBFUZZER)
unset(CMAKE_REQUIRED_FLAGS)
unset(CMAKE_REQUIRED_LINK_OPTIONS)
if(NOT BENCH_HAVE_LIBFUZZER)
  message(FATAL_ERROR "BENCH_FUZZ needs a compiler with libFuzzer (-fsanitize=fuzzer), such as "
                      "clang with its runtime: configure with -DCMAKE_C_COMPILER=clang "
                      "-DCMAKE_CXX_COMPILER=clang++")
endif()
add_compile_options(-fsanitize=fuzzer-no-link)
# Every program links the run-time part that takes the coverage callbacks and
# exports its stack-depth variable, which the libraries it may dlopen use.
add_link_options(-fsanitize=fuzzer-no-link -Wl,--export-dynamic-symbol=__sancov_lowest_stack)
