#!/bin/sh
# Stands in for tests the build could not register because something is missing on this
# machine ($1: what, and where it comes from). Under CI (CI=true) and the project's test
# command (SCHREIBER_NO_SKIP=1) it fails; otherwise CTest counts it as skipped (77).
echo "not run: $1"
if [ "${CI:-}" = true ] || [ "${SCHREIBER_NO_SKIP:-}" = 1 ]; then exit 1; fi
exit 77
