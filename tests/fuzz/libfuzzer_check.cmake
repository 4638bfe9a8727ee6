# libFuzzer is a clang feature. Where the compiler has it, every target is
# compiled with its coverage instrumentation (so that the fuzzer sees the
# branches of the code under test) and the fuzz targets link libFuzzer's own
# main; elsewhere they link tests/fuzz/corpus_runner.cpp instead.
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
if(BENCH_HAVE_LIBFUZZER)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
