#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs one for a while:
#   scripts/fuzz.sh NAME [SECONDS]   (NAME: capture or xls_open; new finds go to fuzz/corpus/NAME)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
name=${1:?fuzz target name}
seconds=${2:-60}
CC=clang CXX=clang++ cmake -S "$top" -B "$top/build-fuzz" -DSCHREIBER_FUZZ=ON -DSCHREIBER_TESTS=OFF \
  -DSCHREIBER_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$top/build-fuzz" -j2 --target "${name}_fuzzer"
mkdir -p "$top/fuzz/corpus/$name"
"$top/build-fuzz/fuzz/${name}_fuzzer" -max_total_time="$seconds" "$top/fuzz/corpus/$name"
