#!/usr/bin/env bash
# The test command: installs what is missing, builds, runs every test.
# --sanitize runs the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
# SCHREIBER_WERROR=ON in the environment makes warnings errors (see scripts/build.sh).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh" test
dir=$("$top/scripts/build.sh" "$@" | tail -n 1)
if [[ "${1:-}" == "--sanitize" ]]; then
  export LSAN_OPTIONS="suppressions=$top/tests/sanitizer/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1"
fi
cd "$dir"
ctest --output-on-failure -j2 --timeout 300
