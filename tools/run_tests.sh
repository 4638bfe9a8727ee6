#!/usr/bin/env bash
# Builds the project three times (plain, AddressSanitizer+UBSan,
# ThreadSanitizer) and runs the whole test suite in each build; after the
# AddressSanitizer pass it fuzzes every fuzz target (tests/fuzz) for
# FUZZ_SECONDS (20) in a clang build of its own. Extra arguments go to ctest.
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
  local dir=build-fuzz seconds=${FUZZ_SECONDS:-20}
  CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBENCH_SANITIZE_ADDRESS=ON
  cmake --build "$dir" -j "$jobs" --target fuzz_targets
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
ASAN_OPTIONS=detect_leaks=1 run_suite build-asan -DBENCH_SANITIZE_ADDRESS=ON
ASAN_OPTIONS=detect_leaks=1 run_fuzz
TSAN_OPTIONS=halt_on_error=1 run_suite build-tsan -DBENCH_SANITIZE_THREAD=ON
