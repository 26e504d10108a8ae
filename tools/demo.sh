#!/usr/bin/env bash
# Starts a simulated unit (orvel-sim) and OrvelTool together, so the whole road can be
# watched without hardware: identification, firmware update, restart, configuration read,
# automatic repair, editing and "CONFIGURAR". Extra arguments go to orvel-sim, e.g.
#   tools/demo.sh --drop 0.05 --seed 1     (a flaky cable)
# Usually started by ./run.sh --demo, which builds first.
set -euo pipefail
cd "$(dirname "$0")/.."

sim=build/orvel-sim
tool=build/OrvelTool
link=/dev/ttyORVEL0
for exe in "$sim" "$tool"; do
  if [ ! -x "$exe" ]; then
    echo "$exe is missing: build first (./run.sh --demo builds and starts this demo)." >&2
    exit 2
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/orvel-demo.XXXXXX")
log="$work/orvel-sim.log"
sim_pid=""

stop_sim() {
  [ -n "$sim_pid" ] || return 0
  if kill -0 "$sim_pid" 2>/dev/null; then
    kill -TERM "$sim_pid" 2>/dev/null || true
    for _ in $(seq 50); do
      kill -0 "$sim_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -0 "$sim_pid" 2>/dev/null && kill -KILL "$sim_pid" 2>/dev/null || true
  fi
  wait "$sim_pid" 2>/dev/null || true
  sim_pid=""
}
trap stop_sim EXIT
trap 'exit 130' INT TERM

# A unit with old firmware and an empty configuration memory takes the longest road.
"$sim" --link "$link" --fw 2.42 --config blank --trace "$@" >"$log" 2>&1 &
sim_pid=$!

for _ in $(seq 50); do
  grep -q "stop with" "$log" 2>/dev/null && break
  if ! kill -0 "$sim_pid" 2>/dev/null; then
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=""
    echo "The simulated unit did not start:" >&2
    cat "$log" >&2
    if [ "$(id -u)" -ne 0 ]; then echo "(a link in /dev needs root: try  sudo ./run.sh --demo)" >&2; fi
    exit 2
  fi
  sleep 0.1
done

cat <<TEXT
A simulated Orvel unit (firmware 2.42, blank configuration) is on ${link#/dev/}.
In OrvelTool:
  1. pick ${link#/dev/} in the port list and press the connect button (the USB plug);
  2. watch the firmware update to 2.43, the restart, the configuration read and the
     automatic repair of the blank configuration;
  3. change a value and press "CONFIGURAR".
Close OrvelTool to end the demo. The unit's trace: $log
TEXT

status=0
"$tool" || status=$?
stop_sim

echo
echo "Trace and summary of the simulated unit: $log"
sed -n '/=== orvel-sim summary ===/,$p' "$log"
exit "$status"
