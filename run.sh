#!/usr/bin/env bash
# Installs what is missing, builds and starts OrvelTool. --demo also starts a simulated unit.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
demo=0
for a in "$@"; do
  case "$a" in
    --demo) demo=1 ;;
    *) echo "usage: ./run.sh [--demo]" >&2; exit 2 ;;
  esac
done
orvel_install_deps
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: OrvelTool is a desktop program and needs one." >&2
  echo "On a machine without a screen, run it under a virtual display:  xvfb-run -a ./run.sh" >&2
  exit 2
fi
orvel_build build
if [ "$demo" -eq 1 ]; then
  if [ -x tools/demo.sh ]; then exec tools/demo.sh; fi
  echo "The simulated unit is not built in this version." >&2
  exit 2
fi
exec build/OrvelTool
