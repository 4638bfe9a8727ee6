#!/usr/bin/env bash
# Builds the project three times and runs the whole test suite in each build:
# plain (the default compiler), AddressSanitizer+UBSan (clang, with the fuzz
# targets built for libFuzzer) and ThreadSanitizer. After the plain build it
# installs it into a scratch prefix and builds and runs the example host
# against the install (tools/check_install.sh); after the AddressSanitizer
# tests it fuzzes every fuzz target (tests/fuzz) for FUZZ_SECONDS (20).
# Extra arguments go to ctest.
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

# The targets run side by side, each on a scratch corpus that starts from its
# seed corpus. An input that breaks a target is copied into the target's seed
# corpus (commit it: from then on every build's test run repeats it) and
# fails the run.
run_fuzz() {
  local dir=$1 seconds=${FUZZ_SECONDS:-20}
  local names=() pids=() failed=0
  for seeds in tests/fuzz/corpus/*/; do
    local name
    name=$(basename "$seeds")
    rm -rf "$dir/fuzz/$name"
    mkdir -p "$dir/fuzz/$name/corpus" "$dir/fuzz/$name/found"
    "$dir/tests/fuzz/$name" -max_total_time="$seconds" -max_len=8192 -timeout=30 \
      -artifact_prefix="$dir/fuzz/$name/found/" "$dir/fuzz/$name/corpus" "$seeds" \
      >"$dir/fuzz/$name/log" 2>&1 &
    names+=("$name")
    pids+=($!)
  done
  for i in "${!names[@]}"; do
    local name=${names[$i]}
    if wait "${pids[$i]}"; then
      echo "fuzz: $name: $(grep -o 'Done [0-9]* runs' "$dir/fuzz/$name/log")"
      continue
    fi
    failed=1
    echo "fuzz: $name FAILED; its log ($dir/fuzz/$name/log) ends:"
    tail -n 40 "$dir/fuzz/$name/log"
    for found in "$dir/fuzz/$name/found"/*; do
      [ -e "$found" ] || continue
      cp "$found" "tests/fuzz/corpus/$name/"
      echo "fuzz: input kept as tests/fuzz/corpus/$name/$(basename "$found")"
    done
  done
  return "$failed"
}

EXTRA_CTEST_ARGS=("${@}")
run_suite build
bash tools/check_install.sh build
# A tree configured by another compiler cannot switch to clang: start afresh.
grep -qs '^CMAKE_CXX_COMPILER:[A-Z]*=.*clang++$' build-asan/CMakeCache.txt || rm -rf build-asan
ASAN_OPTIONS=detect_leaks=1 run_suite build-asan -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DBENCH_SANITIZE_ADDRESS=ON -DBENCH_FUZZ=ON
ASAN_OPTIONS=detect_leaks=1 run_fuzz build-asan
TSAN_OPTIONS=halt_on_error=1 run_suite build-tsan -DBENCH_SANITIZE_THREAD=ON
