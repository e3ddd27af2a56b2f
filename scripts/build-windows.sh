#!/usr/bin/env bash
# Cross-builds the Windows programs (schreiber.exe, schreiber-cli.exe) and the Windows test
# programs into build-win/ with Debian's mingw-w64, two jobs at a time; or only the targets
# named (scripts/build-windows.sh schreiber schreiber-cli). The executables
# carry their runtime: nothing to ship beside them. Wine runs the build's icon tool.
# Prints the build folder last. SCHREIBER_WIN_BUILD names another build folder; warnings are
# errors when SCHREIBER_WERROR=ON is in the environment (CI sets it); SCHREIBER_VERSION
# gives the build another version than the project's.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir="${SCHREIBER_WIN_BUILD:-$top/build-win}"
"$top/scripts/install-deps.sh" test >&2
export WINEDEBUG=-all
# Wine keeps its state in a prefix of our own, made on first use.
export WINEPREFIX="${WINEPREFIX:-$dir/wine}"
cmake -S "$top" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
  -DSCHREIBER_BENCH=OFF -DSCHREIBER_WERROR="${SCHREIBER_WERROR:-OFF}" \
  -DSCHREIBER_VERSION="${SCHREIBER_VERSION:-}" >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$dir" -j2 "${targets[@]}" >&2
echo "$dir"
