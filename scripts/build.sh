#!/usr/bin/env bash
# Configures and builds into build/ (or build-sanitize/ with --sanitize: Debug with
# AddressSanitizer and UndefinedBehaviorSanitizer; or build-release-check/ with --release:
# Release, every target), two jobs at a time. Warnings are errors when SCHREIBER_WERROR=ON
# is in the environment (CI sets it).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir="$top/build"
extra=()
case "${1:-}" in
  --sanitize)
    dir="$top/build-sanitize"
    extra=(-DSCHREIBER_SANITIZE=ON -DSCHREIBER_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
    ;;
  --release)
    dir="$top/build-release-check"
    extra=(-DCMAKE_BUILD_TYPE=Release)
    ;;
esac
cmake -S "$top" -B "$dir" "${extra[@]}" -DSCHREIBER_WERROR="${SCHREIBER_WERROR:-OFF}" >/dev/null
cmake --build "$dir" -j2
echo "$dir"
