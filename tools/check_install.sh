#!/usr/bin/env bash
# Installs a build into a scratch prefix, builds examples/read_tracks.c against
# that install alone with pkg-config, and reads the installed simulator's card
# with it. The prefix is no folder the loader searches, so the example runs
# with LD_LIBRARY_PATH at its library folder, as a host of any library there.
#   tools/check_install.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
scratch=$(mktemp -d)
sim_pid=""
trap '[ -z "$sim_pid" ] || kill "$sim_pid" 2>/dev/null; rm -rf "$scratch"' EXIT

prefix=$scratch/prefix
cmake --install "$1" --prefix "$prefix" >/dev/null
libdir=$prefix/$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$1/CMakeCache.txt")
if ldd "$prefix/bin/cardbench" | grep "not found"; then exit 1; fi
cc -Wall -Wextra -Werror examples/read_tracks.c -o "$scratch/read_tracks" \
  $(PKG_CONFIG_PATH="$libdir/pkgconfig" pkg-config --cflags --libs TRKDRV32)

# A random port the simulator can listen on: five tries, each given 10 s to
# say that it serves.
port=""
for _ in 1 2 3 4 5; do
  try=$((20000 + RANDOM % 40000))
  "$prefix/bin/reader_sim" --driver --tcp "$try" >"$scratch/sim.log" 2>&1 &
  sim_pid=$!
  for _ in $(seq 100); do
    grep -q "^TCP: connect to" "$scratch/sim.log" && port=$try && break 2
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$sim_pid" 2>/dev/null || true
  sim_pid=""
done
[ -n "$port" ] || { cat "$scratch/sim.log" >&2; echo "install: reader_sim did not start" >&2; exit 1; }

LD_LIBRARY_PATH=$libdir timeout 60 "$scratch/read_tracks" 127.0.0.1 "$port" | tee "$scratch/tracks"
# The card reader_sim plays.
diff -u - "$scratch/tracks" <<'TRACKS'
track 1: CARD BENCH TRACK ONE 0123456789
track 2: 1234567890123456=2512
track 3: 0123456789=0123456789
TRACKS
echo "install: the example host read the card through the installed driver"
