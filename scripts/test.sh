#!/usr/bin/env bash
# The test command: installs what is missing, builds, runs every test.
# --sanitize runs the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
dir=$("$top/scripts/build.sh" "$@" | tail -n 1)
cd "$dir"
ctest --output-on-failure -j2 --timeout 300
