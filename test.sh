#!/usr/bin/env bash
# Installs what is missing, builds and runs every test; then builds everything again with
# AddressSanitizer (leaks included) and UndefinedBehaviorSanitizer and runs the tests there;
# then fuzzes each fuzz target for a short while after replaying its past findings.
# Exits non-zero on any failure or sanitizer report.
#   ORVEL_FUZZ_SECONDS   seconds of fuzzing per target (default 20; 0 only replays)
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
orvel_install_deps "${orvel_fuzz_packages[@]}"
export QT_QPA_PLATFORM=offscreen

orvel_build build
ctest --test-dir build --output-on-failure -j"$(nproc)" --timeout 600

# The sanitizer settings hold for the build too: it runs the test programs to list their
# tests. Leaks inside Qt's and fontconfig's own caches are suppressed (tools/lsan.supp).
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tools/lsan.supp:print_suppressions=0
orvel_build build-asan -DORVEL_SANITIZE=ON -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1"
# Tests labelled "realtime" drive the tool against the simulator with the real timers and
# bound their waits for a tool at full speed; under the sanitizers they would only measure
# the slowdown, so they run in the plain build only.
ctest --test-dir build-asan --output-on-failure -j"$(nproc)" --timeout 600 -LE '^realtime$'

bench/fuzz.sh "${ORVEL_FUZZ_SECONDS:-20}"
