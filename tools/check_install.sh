#!/usr/bin/env bash
# Installs a build into a scratch prefix and builds the example host program
# (examples/read_tracks.c) against that install alone, with pkg-config, then
# runs it against the installed simulator and checks the tracks it prints.
#   tools/check_install.sh BUILD_DIR
# The prefix is not a system folder, so the example runs with LD_LIBRARY_PATH
# at its library folder, as a host of any library in such a prefix does.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1

scratch=$(mktemp -d)
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT

prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
libdir=$prefix/$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$build/CMakeCache.txt")

# The installed programs and the driver find our libraries inside the prefix.
for file in "$prefix/bin/cardbench" "$prefix/bin/reader_sim" "$libdir/libTRKDRV32.so"; do
  if ldd "$file" | grep -q "not found"; then
    ldd "$file" >&2
    echo "install: $file misses a library" >&2
    exit 1
  fi
done
link_library=$(ldd "$prefix/bin/cardbench" | sed -n 's/.*libZUV_ETHERNET[^ ]* => \([^ ]*\) .*/\1/p')
[ "$(dirname "$(readlink -f "$link_library")")" = "$(readlink -f "$libdir")" ] ||
  { echo "install: cardbench loads '$link_library', not the installed one" >&2; exit 1; }

cc -Wall -Wextra -Werror examples/read_tracks.c -o "$scratch/read_tracks" \
  $(PKG_CONFIG_PATH="$libdir/pkgconfig" pkg-config --cflags --libs TRKDRV32)

# A free port: one the simulator could listen on, out of a few random tries;
# each waits at most 10 s for the simulator to say it serves.
port=""
for _ in 1 2 3 4 5; do
  try=$((20000 + RANDOM % 40000))
  "$prefix/bin/reader_sim" --driver --tcp "$try" >"$scratch/sim.log" 2>&1 &
  sim_pid=$!
  for _ in $(seq 1 100); do
    grep -q "^TCP: connect to" "$scratch/sim.log" && port=$try && break
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$port" ] && break
  kill "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
  sim_pid=""
done
if [ -z "$port" ]; then
  cat "$scratch/sim.log" >&2
  echo "install: the installed reader_sim did not start" >&2
  exit 1
fi

LD_LIBRARY_PATH=$libdir timeout 60 "$scratch/read_tracks" 127.0.0.1 "$port" >"$scratch/tracks"
cat "$scratch/tracks"
# The card that reader_sim plays.
for line in "track 1: CARD BENCH TRACK ONE 0123456789" "track 2: 1234567890123456=2512" \
            "track 3: 0123456789=0123456789"; do
  grep -qxF "$line" "$scratch/tracks" || { echo "install: expected '$line'" >&2; exit 1; }
done
echo "install: the example host read the card through the installed driver"
