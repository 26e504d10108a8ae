#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz/, replays every regression input of
# fuzz/regressions/, then fuzzes each target for SECONDS, starting from its seeds in
# fuzz/corpus/. Exits non-zero on any crash, leak, sanitizer report or broken invariant;
# the input that caused it is kept in build-fuzz/findings/<target>/.
#
#   bench/fuzz.sh [SECONDS] [TARGET...]     SECONDS per target (default 300), all targets
#                                           unless some are named; 0 only replays. The
#                                           targets run side by side, ORVEL_FUZZ_JOBS at a
#                                           time (default: one per core).
# New inputs found along the way go to build-fuzz/corpus/<target>/; copy the useful ones
# into fuzz/corpus/<target>/ by hand (after `fuzz_<target> -merge=1`).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
[ $# -gt 0 ] && shift
all_targets=(frame receive_path config_image info_record version_marker)
targets=("${@:-${all_targets[@]}}")

source tools/deps.sh
orvel_install_deps "${orvel_fuzz_packages[@]}"
# Also for the build: it runs a host tool built with the sanitizers.
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1:symbolize=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tools/lsan.supp:print_suppressions=0
# -O1 with line tables: quicker to build, and the sanitizers' reports still name the lines.
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
  -DCMAKE_CXX_COMPILER=clang++-14 -DORVEL_FUZZ=ON -DORVEL_TESTS=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target orvel_fuzzers

# Longest input per target: a frame of 1019 payload bytes and some, a whole image, a
# record with spare bytes, a version file up to 500 characters, an event script.
declare -A max_len=([frame]=1100 [receive_path]=4096 [config_image]=2100 [info_record]=96 [version_marker]=600)

for t in "${targets[@]}"; do
  [ -x "build-fuzz/fuzz/fuzz_$t" ] || { echo "no fuzz target '$t'" >&2; exit 2; }
  mkdir -p "build-fuzz/corpus/$t" "build-fuzz/findings/$t"
done

# Past findings first: each input once.
for t in "${targets[@]}"; do
  regressions=(fuzz/regressions/$t/*)
  [ -e "${regressions[0]}" ] || continue
  echo "== $t: replaying ${#regressions[@]} regression inputs"
  if ! "build-fuzz/fuzz/fuzz_$t" "${regressions[@]}" >"build-fuzz/findings/$t.replay.log" 2>&1; then
    tail -n 60 "build-fuzz/findings/$t.replay.log"
    echo "fuzz_$t fails on a regression input again" >&2
    exit 1
  fi
done
[ "$seconds" -gt 0 ] || exit 0

# Then the targets side by side, one per core (ORVEL_FUZZ_JOBS to change).
jobs_max=${ORVEL_FUZZ_JOBS:-$(nproc)}
fuzz_one() {
  local t=$1
  "build-fuzz/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=30 -max_len="${max_len[$t]}" \
    -print_final_stats=1 -artifact_prefix="build-fuzz/findings/$t/" "build-fuzz/corpus/$t" "fuzz/corpus/$t" \
    >"build-fuzz/findings/$t.log" 2>&1
  echo $? >"build-fuzz/findings/$t.rc"
}
echo "== fuzzing ${targets[*]}: ${seconds} s each, ${jobs_max} at a time"
for t in "${targets[@]}"; do
  rm -f "build-fuzz/findings/$t.rc"
  fuzz_one "$t" &
  while [ "$(jobs -rp | wc -l)" -ge "$jobs_max" ]; do wait -n || true; done
done
wait

failed=0
for t in "${targets[@]}"; do
  log=build-fuzz/findings/$t.log
  if [ "$(cat "build-fuzz/findings/$t.rc" 2>/dev/null)" != 0 ]; then
    tail -n 60 "$log"
    echo "fuzz_$t found a fault; the input is in build-fuzz/findings/$t/" >&2
    failed=1
    continue
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  printf '%-16s %12s executions %8s exec/s\n' "$t" "$runs" "$rate"
done
exit $failed
