#!/usr/bin/env bash
# Configures and builds into build/ (or build-sanitize/ with --sanitize: Debug with
# AddressSanitizer and UndefinedBehaviorSanitizer; or build-release-check/ with --release:
# Release, every target), two jobs at a time. --no-tests builds only the programs into
# build/, which needs only scripts/packages-build.txt; otherwise build/ has the tests and
# benchmarks too. Warnings are errors when SCHREIBER_WERROR=ON is in the environment (CI
# sets it).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir="$top/build"
extra=(-DSCHREIBER_TESTS=ON -DSCHREIBER_BENCH=ON)
case "${1:-}" in
  --no-tests)
    extra=(-DSCHREIBER_TESTS=OFF -DSCHREIBER_BENCH=OFF)
    ;;
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
