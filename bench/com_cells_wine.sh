#!/usr/bin/env bash
# The spreadsheet path's cost under Wine: a generated recording of 10 blocks of 100 rows of
# 22 fields (24 090 written cells) captured over Wine's COM1 by schreiber-cli.exe and
# converted through the test automation server (tests/windows/excel_server/), running in
# its own process and registered as "Excel.Application" in a Wine prefix of this run only.
# Prints the calls the server received per written cell (name lookups and invokes, from
# its log), the calls per block besides the cells, and the wall time of the capture (the
# simulator sends at full speed: the conversion takes nearly all of it).
# usage: bench/com_cells_wine.sh [SCHREIBER-CLI.EXE]
#   (default: the one in build-win/, which scripts/build-windows.sh makes; the server is
#   always build-win's; the Linux schreiber-cli for the simulator comes from build/)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir="${SCHREIBER_WIN_BUILD:-$top/build-win}"
cli_exe=$(realpath "${1:-$dir/cli/schreiber-cli.exe}")
server_exe="$dir/tests/windows/excel_test_server.exe"
linux_cli="${SCHREIBER_LINUX_CLI:-$top/build/cli/schreiber-cli}"
for f in "$cli_exe" "$server_exe" "$linux_cli"; do
  [[ -x "$f" || -f "$f" ]] || { echo "com_cells_wine: $f missing" >&2; exit 1; }
done

wine=/usr/lib/wine/wine64
work=$(mktemp -d "${TMPDIR:-/tmp}/schreiber-com-bench-XXXXXX")
export WINEDEBUG=-all WINEPREFIX="$work/wine"
cleanup() {
  kill $(jobs -p) 2>/dev/null || true
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
windows_path() { echo "Z:${1//\//\\}"; }

"$wine" wineboot -i >/dev/null 2>&1
line="$work/com1"
"$wine" reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$line" /f >/dev/null 2>&1
server_class='{6D1C5E3A-2B7F-4C88-9E41-5A0B3F7D2C19}'
exe=$(windows_path "$server_exe")
printf 'REGEDIT4\n\n[HKEY_CLASSES_ROOT\\Excel.Application\\CLSID]\n@="%s"\n\n[HKEY_CLASSES_ROOT\\CLSID\\%s\\LocalServer32]\n@="%s"\n' \
  "$server_class" "$server_class" "${exe//\\/\\\\}" >"$work/server.reg"
"$wine" regedit /S "$(windows_path "$work/server.reg")" >/dev/null 2>&1
/usr/lib/wine/wineserver -k 2>/dev/null || true
/usr/lib/wine/wineserver -w 2>/dev/null || true

# The recording: the instrument's framing, one check byte per block (never a framing byte).
recording="$work/recording.bin"
/usr/bin/python3 - "$recording" <<'EOF'
import sys
out = bytearray(b"BENCH MEM DUMP\r\n")
for b in range(10):
    body = bytearray(b"\x11\x01K\x02" + b"\x03".join(
        [b"Bench_%d" % b, b"1", b"1", b"1", b"Benchmark", b"12.03.2024"]))
    for r in range(100):
        values = [b"%02d:%02d:00" % (8 + r // 60, r % 60)]
        values += [b"%d.%d" % (40 + (r + c) % 50, (b + c) % 10) for c in range(20)]
        body += b"\x01M\x02" + b"\x03".join(values + [b"\xb0C"])
    for unit in b"CFKR":  # the last unit's letter changes the check byte if need be
        body[-1] = unit
        check = 0
        for byte in body:
            check ^= byte
        if check not in (0x11, 0x13, 0x14):
            break
    out += body + b"\x13" + bytes([check]) + b"\r\n"
open(sys.argv[1], "wb").write(out + b"\x14")
EOF

folder="$work/program"
mkdir -p "$folder/FILES/Vor" "$folder/Data"
cp "$cli_exe" "$folder/schreiber-cli.exe"
"$wine" "$folder/schreiber-cli.exe" template "$(windows_path "$folder/FILES/Vor/1.xls")" >/dev/null 2>&1

calls="$work/calls.log"
export SCHREIBER_SERVER_LOG
SCHREIBER_SERVER_LOG=$(windows_path "$calls")
"$wine" "$server_exe" >/dev/null 2>&1 &
for _ in $(seq 300); do grep -qx running "$calls" 2>/dev/null && break; sleep 0.1; done
"$linux_cli" simulate --link "$line" "$recording" --baud 0 --start-when-configured 2>/dev/null &
for _ in $(seq 50); do [[ -L "$line" ]] && break; sleep 0.1; done
start=$(date +%s.%N)
"$wine" "$folder/schreiber-cli.exe" capture --port 1 >/dev/null 2>"$work/capture.err" ||
  { cat "$work/capture.err" >&2; exit 1; }
end=$(date +%s.%N)
/usr/lib/wine/wineserver -w 2>/dev/null || true
cmp -s "$recording" "$folder/Schreiber.txt" || { echo "com_cells_wine: capture differs" >&2; exit 1; }

books=$(find "$folder/Data" -name '*.xls' | wc -l)
cells=$(grep -c '^Range\.(default) put ' "$calls")
lookups=$(grep -c ' names ' "$calls")
invokes=$(grep -cE '^[A-Za-z]+\.[^ ]+ (get|put|method)' "$calls")
awk -v books="$books" -v cells="$cells" -v lookups="$lookups" -v invokes="$invokes" \
  -v start="$start" -v end="$end" 'BEGIN {
    printf "workbooks %d, written cells %d\n", books, cells
    printf "calls received %d (%d name lookups, %d invokes): %.4f per written cell, %.1f per block besides one per cell\n",
      lookups + invokes, lookups, invokes, (lookups + invokes) / cells, (lookups + invokes - cells) / books
    printf "capture and conversion: %.1f s wall time\n", end - start
  }'
