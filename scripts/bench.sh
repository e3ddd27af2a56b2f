#!/usr/bin/env bash
# Builds in release mode and runs every benchmark (or those named: scripts/bench.sh xls_bench).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh" test
cmake -S "$top" -B "$top/build-release" -DCMAKE_BUILD_TYPE=Release -DSCHREIBER_TESTS=OFF >/dev/null
cmake --build "$top/build-release" -j2
names=("$@")
if ((${#names[@]} == 0)); then
  for f in "$top"/bench/*_bench.cpp; do names+=("$(basename "$f" .cpp)"); done
fi
for n in "${names[@]}"; do
  echo "== $n"
  "$top/build-release/bench/$n"
done
