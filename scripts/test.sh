#!/usr/bin/env bash
# The test command: installs what is missing, builds, runs every test and prints how many
# ran and how many were skipped.
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
# A green run means every test ran: a missing tool, locale or display fails the test that
# needs it, naming what is missing, instead of skipping it (CI=true does the same).
export SCHREIBER_NO_SKIP=1
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
ctest --output-on-failure -j2 --timeout 300 | tee "$log" || status=$?
"$top/scripts/ctest-counts.sh" "$log"
exit "$status"
