#!/usr/bin/env bash
# Tries the console without a reader: builds the console and the reader
# simulator, starts the simulator on 127.0.0.1 port 3001 and on a
# pseudo-terminal mapped to COM1, runs cardbench against it, and stops the
# simulator when the console exits.
set -euo pipefail
cd "$(dirname "$0")/.."

tcp_port=3001
com_number=1

bash tools/install_deps.sh
cmake -S . -B build -G Ninja
# Only what the demo runs: the console (with the link library it loads) and the
# simulator; the tests, benchmarks and fuzz targets are left to tools/run_tests.sh.
cmake --build build --target cardbench reader_sim

sim_output=$(mktemp)
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
    kill "$sim_pid"
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -f "$sim_output"
}
trap cleanup EXIT

build/tools/reader_sim/reader_sim --tcp "$tcp_port" --link-com "$com_number" >"$sim_output" 2>&1 &
sim_pid=$!

# The simulator prints its pseudo-terminal once it serves; give it 10 seconds.
pty=""
for _ in $(seq 1 100); do
  pty=$(sed -n 's/^serial: //p' "$sim_output")
  [ -n "$pty" ] && break
  if ! kill -0 "$sim_pid" 2>/dev/null; then
    cat "$sim_output" >&2
    echo "demo: the reader simulator did not start (is port $tcp_port in use?)" >&2
    exit 1
  fi
  sleep 0.1
done
if [ -z "$pty" ]; then
  cat "$sim_output" >&2
  echo "demo: the reader simulator gave no pseudo-terminal" >&2
  exit 1
fi

export "COM${com_number}_DEVICE=$pty"
cat <<EOF
The reader simulator is running.
  Serial:   press " Port Open", keep COM${com_number} (mapped to $pty), any baud rate, press "SET".
  TCP/IP:   press " Ethernet Open", type the IP address 127.0.0.1 and the port $tcp_port, press "SET".
Press " Exit" in the console to end the demo.
EOF

build/console/cardbench
