#!/usr/bin/env bash
# schreiber.exe under Wine on a virtual display captures from Wine's COM1, which leads to
# LINE, played by the Linux simulator after 7 s of silence; keep_alive_probe.exe presses
# start and watches: the system never takes the window for hung, a message sent to it is
# answered within 1 s, and the silence shows as two empty reads of 3 s ("..."), the read
# time-out the capture sees. Then the capture file and the workbooks are checked.
# usage: keep_alive.sh WINDOWS_BUILD LINUX_CLI RECORDING LINE WORK
# (WINEPREFIX set up with COM1 -> LINE, as scripts/test-windows.sh does)
set -euo pipefail
dir=$1 cli=$2 recording=$3 line=$4 work=$5
wine=/usr/lib/wine/wine64
fail() { echo "FAIL: $*" >&2; exit 1; }
# Wine's session keeps the display it was started on: a fresh one for the virtual display.
/usr/lib/wine/wineserver -k 2>/dev/null || true
/usr/lib/wine/wineserver -w 2>/dev/null || true

folder="$work/keep-alive"
mkdir -p "$folder/FILES/Vor" "$folder/Data"
cp "$dir/window/win32/schreiber.exe" "$folder/"
"$cli" template "$folder/FILES/Vor/1.xls"
# The link of an earlier simulator goes first: Wine must find this simulator's terminal.
rm -f "$line"
"$cli" simulate --link "$line" "$recording" --pause 0:7000 --start-when-configured &
simulator=$!
for _ in $(seq 50); do [[ -L "$line" ]] && break; sleep 0.1; done

status=0
xvfb-run -a -s "-screen 0 640x480x24" bash -c '
  "$1" "$2/schreiber.exe" &
  program=$!
  "$1" "$3" 3
  probe=$?
  wait $program
  exit $probe' _ "$wine" "$folder" "$dir/tests/windows/keep_alive_probe.exe" || status=$?
kill "$simulator" 2>/dev/null || true
wait "$simulator" 2>/dev/null || true
[[ $status -eq 0 ]] || fail "the probe of the window failed (status $status)"
cmp -s "$recording" "$folder/Schreiber.txt" || fail "the capture file differs from the recording"
count=$(find "$folder/Data" -name '*.xls' | wc -l)
[[ $count -eq 3 ]] || fail "expected 3 workbooks, found $count"
echo "the window stayed alive through the capture"
