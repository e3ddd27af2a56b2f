#!/usr/bin/env bash
# The operators' package for Linux as an operator gets it: made from this build and
# unpacked into a fresh folder. The simulator plays the sample recording into the unpacked
# program's ports/COM1, and the unpacked schreiber-cli captures it into three workbooks;
# the desktop entry installs with the unpacked folder's paths.
set -euo pipefail
package_script=${1:?path of scripts/package-linux.sh}
build=${2:?build folder with the programs}
recording=${3:?path of the sample recording}
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$package_script" --build "$build" "$work/schreiber-linux.tar.gz" >/dev/null
mkdir "$work/unpacked"
tar -C "$work/unpacked" -xzf "$work/schreiber-linux.tar.gz"
folder="$work/unpacked/schreiber"
for entry in schreiber schreiber-cli FILES/Vor/1.xls Data ports install-desktop-entry.sh \
  LIESMICH.txt README.txt share/applications/schreiber.desktop \
  share/icons/hicolor/32x32/apps/schreiber.png; do
  [[ -e "$folder/$entry" ]] || fail "the package lacks $entry"
done
[[ -z "$(find "$folder/Data" "$folder/ports" -mindepth 1)" ]] || fail "Data/ or ports/ is not empty"
# The desktop program finds its libraries on the system, none in the build folder.
libraries=$(ldd "$folder/schreiber")
grep -q "not found" <<<"$libraries" && fail "missing libraries: $libraries"
grep -qF "$build" <<<"$libraries" && fail "libraries from the build folder: $libraries"

cli="$folder/schreiber-cli"
"$cli" simulate --link "$folder/ports/COM1" "$recording" --start-when-configured 2>/dev/null &
for _ in $(seq 50); do [[ -L "$folder/ports/COM1" ]] && break; sleep 0.1; done
status=0
"$cli" capture --port 1 >/dev/null 2>"$work/capture.err" || status=$?
[[ $status -eq 0 ]] || fail "capture exit status $status: $(cat "$work/capture.err")"
wait
count=$(find "$folder/Data" -name '*.xls' | wc -l)
[[ $count -eq 3 ]] || fail "expected 3 workbooks, found $count"
"$cli" dump "$(find "$folder/Data" -name '*.xls' | head -n 1)" --sheet Data |
  grep -q $'^1\t1\ttext\tOK$' || fail "no OK in cell 1,1"

# The menu entry, for a user whose data folder is the test's.
XDG_DATA_HOME="$work/data" "$folder/install-desktop-entry.sh" >/dev/null
entry="$work/data/applications/schreiber.desktop"
grep -qx "Exec=\"$folder/schreiber\"" "$entry" || fail "entry: $(cat "$entry")"
grep -qx "Path=$folder" "$entry" || fail "entry: $(cat "$entry")"
grep -qx "Icon=$folder/share/icons/hicolor/32x32/apps/schreiber.png" "$entry" ||
  fail "entry: $(cat "$entry")"
echo "1 passed, 0 failed"
