#!/usr/bin/env bash
# Builds the project three times (plain, AddressSanitizer+UBSan,
# ThreadSanitizer) and runs the whole test suite in each build. Extra
# arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j 4 --timeout 300 "${EXTRA_CTEST_ARGS[@]}"
}

EXTRA_CTEST_ARGS=("${@}")
run_suite build
ASAN_OPTIONS=detect_leaks=1 run_suite build-asan -DBENCH_SANITIZE_ADDRESS=ON
TSAN_OPTIONS=halt_on_error=1 run_suite build-tsan -DBENCH_SANITIZE_THREAD=ON
