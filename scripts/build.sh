#!/usr/bin/env bash
# Configures and builds into build/ (or build-sanitize/ with --sanitize), two jobs at a time.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir="$top/build"
extra=()
if [[ "${1:-}" == "--sanitize" ]]; then
  dir="$top/build-sanitize"
  extra=(-DSCHREIBER_SANITIZE=ON -DSCHREIBER_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
fi
cmake -S "$top" -B "$dir" "${extra[@]}" >/dev/null
cmake --build "$dir" -j2
echo "$dir"
