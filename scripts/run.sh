#!/usr/bin/env bash
# Builds the desktop program and starts it; arguments are passed on (LUT files
# or folders to put in its list). The command line, zelvo-lut, is built beside
# it: build/release/zelvo-lut.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
cmake --preset release >/dev/null
cmake --build --preset release --target zelvo-lut-converter zelvo-lut
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No desktop to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
  echo "Start scripts/run.sh from a desktop session; scripts/screenshot.sh shows the windows without one," >&2
  echo "and build/release/zelvo-lut converts from the command line." >&2
  exit 1
fi
exec build/release/src/app/zelvo-lut-converter "$@"
