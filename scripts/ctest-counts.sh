#!/usr/bin/env bash
# How many tests a CTest run ran, passed, failed and skipped, from its output (file $1).
set -euo pipefail
awk '/^ *[0-9]+\/[0-9]+ Test +#[0-9]+:/ {
       ran++
       if (/\*\*\*Skipped/) skipped++
       else if (/ Passed +[0-9.]+ sec/) passed++
       else failed++
     }
     END { printf "tests: %d ran, %d passed, %d failed, %d skipped\n", ran, passed, failed, skipped }' "$1"
