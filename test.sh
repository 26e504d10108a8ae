#!/usr/bin/env bash
# Installs what is missing, builds and runs every test. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
orvel_install_deps
orvel_build build
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j"$(nproc)" --timeout 600
