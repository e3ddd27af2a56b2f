#!/usr/bin/env bash
# The Windows build tested under Wine (Debian's wine64), on this Linux machine:
#  1. the test programs of the Windows build, through CTest (the window's on Xvfb);
#  2. the kernel32 serial road: Wine's COM1 leads to a pseudo-terminal played by the Linux
#     simulator; schreiber-cli.exe captures the sample recording byte for byte and converts
#     it (no spreadsheet application under Wine: the embedded engine writes the workbooks,
#     Wine's own Scripting.FileSystemObject copies the templates); a port that is not
#     there fails to open;
#  3. schreiber.exe on Xvfb: its window shows, a screenshot is taken, the window manager's
#     close ends it cleanly; through a capture with 7 s of silence the system never takes
#     its window for hung (tests/windows/keep_alive.sh);
#  4. the operators' zip and installer: the MSI installed into a fresh Wine prefix, a
#     capture with the installed program, an upgrade and an uninstall
#     (tests/windows/installer_steps.sh);
#  5. the spreadsheet path against a real out-of-process automation server: the test server
#     (tests/windows/excel_server/) registered as "Excel.Application" in this prefix only,
#     attached to, created, and failing as a remote application fails
#     (tests/windows/automation_server_steps.sh).
# usage: scripts/test-windows.sh [--screenshot PNG]   (keeps the screenshot at PNG)
# The Linux schreiber-cli (for the simulator) is taken from build/, or SCHREIBER_LINUX_CLI.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
screenshot_out=
if [[ "${1:-}" == "--screenshot" ]]; then screenshot_out=$(realpath -m "${2:?PNG}"); fi

SECONDS=0
dir=$("$top/scripts/build-windows.sh" | tail -n 1)
echo "build: ${SECONDS}s"
linux_cli="${SCHREIBER_LINUX_CLI:-$top/build/cli/schreiber-cli}"
if [[ ! -x "$linux_cli" ]]; then
  cmake -S "$top" -B "$top/build" >/dev/null
  cmake --build "$top/build" -j2 --target schreiber-cli >/dev/null
fi

wine=/usr/lib/wine/wine64
work=$(mktemp -d "${TMPDIR:-/tmp}/schreiber-windows-XXXXXX")
export WINEDEBUG=-all WINEPREFIX="$work/wine"
cleanup() {
  kill $(jobs -p) 2>/dev/null || true
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
passed=0
fail() { echo "FAIL: $*" >&2; echo "$passed passed, 1 failed"; exit 1; }
pass() { passed=$((passed + 1)); echo "ok: $* (${SECONDS}s)"; }
windows_path() { echo "Z:${1//\//\\}"; }

SECONDS=0
"$wine" wineboot -i >/dev/null 2>&1
# Wine's COM1 is whatever this path leads to; the simulator points it at its terminal.
line="$work/com1"
"$wine" reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$line" /f >/dev/null 2>&1
# Ends Wine's session; the next program starts a fresh one (which reads the port setting).
new_session() {
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  /usr/lib/wine/wineserver -w 2>/dev/null || true
}
# Wine's server keeps the output of the program that started it; it goes to this log.
log="$work/wine.log"
new_session
echo "wine prefix: ${SECONDS}s"

# 1. The test programs.
SECONDS=0
# Every case must run: a skip inside a test program would pass its CTest entry unseen.
(cd "$dir" && SCHREIBER_NO_SKIP=1 ctest --output-on-failure -j2 --timeout 300) >"$work/ctest.log" 2>&1 ||
  { grep -v '^0x' "$work/ctest.log"; "$top/scripts/ctest-counts.sh" "$work/ctest.log"; fail "ctest of the Windows build"; }
"$top/scripts/ctest-counts.sh" "$work/ctest.log"
pass "test programs of the Windows build"
new_session

# 2. The serial road through kernel32.
SECONDS=0
folder="$work/program"
mkdir -p "$folder/FILES/Vor" "$folder/Data"
cp "$dir/cli/schreiber-cli.exe" "$folder/"
"$wine" "$folder/schreiber-cli.exe" template "$(windows_path "$folder/FILES/Vor/1.xls")" >>"$log" 2>&1
recording="$top/samples/recording.bin"
"$linux_cli" simulate --link "$line" "$recording" --start-when-configured 2>"$work/simulate.err" &
for _ in $(seq 50); do [[ -L "$line" ]] && break; sleep 0.1; done
status=0
"$wine" "$folder/schreiber-cli.exe" capture --port 1 >/dev/null 2>"$work/capture.err" || status=$?
[[ $status -eq 0 ]] || fail "capture exit status $status: $(cat "$work/capture.err")"
cmp -s "$recording" "$folder/Schreiber.txt" || fail "capture file differs from the recording"
[[ $(cat "$folder/PORT.ini") == $'0\r' ]] || fail "PORT.ini not written by --port"
count=$(find "$folder/Data" -name '*.xls' | wc -l)
[[ $count -eq 3 ]] || fail "expected 3 workbooks, found $count"
book=$(find "$folder/Data" -name 'Ruecklauf_K1_*.xls')
dump=$("$linux_cli" dump "$book" --sheet Data)
grep -q $'^1\t1\ttext\tOK$' <<<"$dump" || fail "no OK in cell 1,1"
grep -q $'^5\t6\ttext\tR\xc3\xbccklauf Kessel 1$' <<<"$dump" || fail "comment with umlaut missing"
grep -q $'^6\t3\tnumber\t44.9$' <<<"$dump" || fail "value not stored as a number"
wait
pass "capture over Wine's COM1 byte for byte, converted into 3 workbooks"

SECONDS=0
status=0
"$wine" "$folder/schreiber-cli.exe" capture --port 9 >/dev/null 2>"$work/open.err" || status=$?
[[ $status -eq 1 ]] || fail "open of a missing port: exit status $status"
grep -q '^Error Number: -1' "$work/open.err" || fail "open failure code: $(cat "$work/open.err")"
pass "a port that is not there fails to open with -1"

# 3. The window. Wine's session keeps the display it started on: a new one for each.
SECONDS=0
new_session
desk="$work/desktop"
mkdir -p "$desk/FILES/Vor" "$desk/Data"
cp "$dir/window/win32/schreiber.exe" "$desk/"
xvfb-run -a -s "-screen 0 640x480x24" /usr/bin/python3 "$top/tests/windows/window_close.py" \
  "$desk" "$wine" >>"$log" 2>&1 || { tail -5 "$log"; fail "window shown and closed"; }
new_session
# The screenshot inside a Wine desktop, which draws the window's frame and title.
shot="$work/windows-idle.png"
xvfb-run -a -s "-screen 0 640x480x24" bash -c '
  "$1" explorer /desktop=schreiber,240x260 "$2/schreiber.exe" &
  for _ in $(seq 100); do
    id=$(xwininfo -root -tree 2>/dev/null | awk "/\"Schreiber\": \(\"schreiber.exe\"/ {print \$1; exit}")
    [[ -n "$id" ]] && break
    sleep 0.2
  done
  sleep 2
  import -window "$id" "$3"' _ "$wine" "$desk" "$shot" >/dev/null 2>&1 || true
new_session
[[ -s "$shot" ]] || fail "no screenshot of the window"
read -r width height <<<"$(identify -format '%w %h' "$shot")"
((width >= 156 && height >= 199)) || fail "screenshot of ${width}x${height}, smaller than the window"
[[ -n "$screenshot_out" ]] && cp "$shot" "$screenshot_out"
pass "schreiber.exe shows its window and closes cleanly"

# 3b. The window through a capture with a long silence: never taken for hung.
SECONDS=0
"$top/tests/windows/keep_alive.sh" "$dir" "$linux_cli" "$recording" "$line" "$work" \
  >"$work/keep-alive.log" 2>&1 ||
  { grep -v '^0x' "$work/keep-alive.log" | grep -A40 '^FAIL' | head -50; fail "window alive through a capture"; }
cat "$work/keep-alive.log" >>"$log"
new_session
pass "schreiber.exe answers the system through a capture with 7 s of silence"

# 4. The zip and the installer; first the installer of a newer build, for the upgrade
# (the build then goes back to its own version).
SECONDS=0
version=$(cat "$dir/version.txt")
if [[ "$version" =~ ^([0-9]+\.[0-9]+)\.([0-9]+)$ ]]; then
  newer_version="${BASH_REMATCH[1]}.$((BASH_REMATCH[2] + 1))"
else
  newer_version="$version.1"
fi
newer_installer="$work/schreiber-$newer_version.msi"
SCHREIBER_VERSION="$newer_version" "$top/scripts/package-windows.sh" "$work/newer.zip" \
  "$newer_installer" >/dev/null
zip="$work/schreiber-windows.zip"
installer="$work/schreiber-$version.msi"
"$top/scripts/package-windows.sh" "$zip" "$installer" >/dev/null
[[ $(cat "$dir/version.txt") == "$version" ]] || fail "the build did not go back to $version"
listing=$(unzip -Z1 "$zip")
for entry in schreiber/schreiber.exe schreiber/schreiber-cli.exe schreiber/FILES/Vor/1.xls \
  schreiber/Data/; do
  grep -qx "$entry" <<<"$listing" || fail "zip lacks $entry"
done
pass "the operators' zip"
source "$top/tests/windows/installer_steps.sh"

# 5. The spreadsheet application as an automation server of its own process.
source "$top/tests/windows/automation_server_steps.sh"

echo "$passed passed, 0 failed"
