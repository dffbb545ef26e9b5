#!/usr/bin/env bash
# build.sh PRESET...: configures and builds the given CMake presets.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
for preset in "$@"; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done
