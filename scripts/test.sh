#!/usr/bin/env bash
# Builds everything in Release and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
cmake --preset release
cmake --build --preset release
ctest --preset release
