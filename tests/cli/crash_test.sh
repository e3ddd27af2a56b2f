#!/usr/bin/env bash
# schreiber-cli capture killed (-9) at random moments of a capture and conversion, then run
# again: nothing already written is lost. Every workbook in Data/ is either complete ("OK"
# in its first cell, read by xlrd) or the unfilled copy of its template, no temporary file
# is left, and the capture file holds a prefix of what the instrument sent.
set -euo pipefail
cli=${1:?path of schreiber-cli}
trials=${2:-20}
work=$(mktemp -d)
killed_pids=()
cleanup() {
  kill $(jobs -p) 2>/dev/null || true
  # The lock files that killed captures left for their pseudo-terminals, and the ones they
  # were writing.
  for lock in /run/lock/LCK..* /var/lock/LCK..*; do
    [[ -f $lock ]] || continue
    owner=$(tr -d ' \n' <"$lock" 2>/dev/null || true)
    for pid in "${killed_pids[@]}"; do
      if [[ $owner == "$pid" ]] && ! kill -0 "$pid" 2>/dev/null; then rm -f "$lock"; fi
    done
  done
  for pid in "${killed_pids[@]}"; do rm -f /run/lock/LTMP."$pid".*; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL (trial $trial): $*" >&2; exit 1; }
trial=0

# A recording of 24 blocks, each filed into its own workbook.
/usr/bin/python3 - "$work/recording.bin" <<'PY'
import sys
SOH, STX, ETX, DC1, DC3, DC4 = b"\x01", b"\x02", b"\x03", b"\x11", b"\x13", b"\x14"
def field(label, *subfields):
    return SOH + label.encode() + STX + ETX.join(s.encode() for s in subfields)
out = b"SCHREIBER MEM DUMP V2.3\r\nBLOCKS 0024\r\n"
for b in range(24):
    for nudge in range(10):
        rows = [field("M", f"{8 + i // 4:02d}:{15 * (i % 4):02d}:00", f"{40 + b + i / 10 + nudge / 100:.2f}", "C")
                for i in range(12)]
        body = DC1 + field("K", f"Kanal_{b:02d}", "1", "1", str(b), f"Messung {b}", "12.03.2024") + b"".join(rows)
        check = 0
        for byte in body:
            check ^= byte
        if check not in (0x11, 0x13, 0x14):
            break
    out += body + DC3 + bytes([check]) + b"\r\n"
open(sys.argv[1], "wb").write(out + DC4)
PY
recording="$work/recording.bin"

# Checks a program folder after the run again: the workbooks in one xlrd run.
check_data() {
  local folder=$1
  local leftovers
  leftovers=$(find "$folder/Data" -mindepth 1 ! -name '*.xls')
  [[ -z $leftovers ]] || fail "left in Data/: $leftovers"
  /usr/bin/python3 - "$folder/FILES/Vor/1.xls" "$folder"/Data/*.xls <<'PY' || fail "a workbook is damaged"
import sys, xlrd
template = open(sys.argv[1], "rb").read()
for path in sys.argv[2:]:
    if open(path, "rb").read() == template:
        continue
    try:
        first = xlrd.open_workbook(path).sheet_by_name("Data").cell_value(0, 0)
    except Exception as error:
        sys.exit(f"{path}: {error}")
    if first != "OK":
        sys.exit(f"{path}: first cell {first!r}")
PY
}

# One run of capture in `folder` against a simulator; `kill_after` seconds (empty: none).
run_capture() {
  local folder=$1 kill_after=$2
  rm -f "$folder/ports/COM1"
  "$cli" simulate --link "$folder/ports/COM1" "$recording" --baud 230400 \
    --start-when-configured 2>/dev/null &
  local simulator=$!
  for _ in $(seq 100); do [[ -L "$folder/ports/COM1" ]] && break; sleep 0.02; done
  "$cli" capture --folder "$folder" --port 1 >/dev/null 2>"$folder/capture.err" &
  local capture=$!
  status=0
  if [[ -n $kill_after ]]; then
    sleep "$kill_after"
    kill -9 "$capture" 2>/dev/null || true
    killed_pids+=("$capture")
  fi
  { wait "$capture"; } 2>/dev/null || status=$?
  kill "$simulator" 2>/dev/null || true
  wait "$simulator" 2>/dev/null || true
}

new_folder() {
  local folder="$work/$1"
  mkdir -p "$folder/FILES/Vor" "$folder/Data" "$folder/ports"
  "$cli" template "$folder/FILES/Vor/1.xls"
  echo "$folder"
}

# How long a whole run takes: the kill moments are spread over it.
folder=$(new_folder whole)
start=$(date +%s%N)
run_capture "$folder" ""
whole_ms=$((($(date +%s%N) - start) / 1000000))
[[ $status -eq 0 ]] || fail "a whole run: exit status $status: $(cat "$folder/capture.err")"
cmp -s "$recording" "$folder/Schreiber.txt" || fail "a whole run: capture file differs"
[[ $(find "$folder/Data" -name 'Kanal_*.xls' | wc -l) -eq 24 ]] || fail "a whole run: not 24 workbooks"
check_data "$folder"

for trial in $(seq "$trials"); do
  folder=$(new_folder "trial$trial")
  at_ms=$((RANDOM % whole_ms))
  run_capture "$folder" "$(printf '%d.%03d' $((at_ms / 1000)) $((at_ms % 1000)))"
  if [[ -e $folder/Schreiber.txt ]]; then
    size=$(stat -c %s "$folder/Schreiber.txt")
    [[ $size -le $(stat -c %s "$recording") ]] && cmp -s -n "$size" "$recording" "$folder/Schreiber.txt" ||
      fail "killed after ${at_ms} ms: the capture file is no prefix of the recording"
  fi
  # Again: the same names in the same minute are refused (58); that ends the run early.
  run_capture "$folder" ""
  [[ $status -eq 0 ]] || grep -q '^\[Error\] 58$' "$folder/capture.err" ||
    fail "killed after ${at_ms} ms, run again: exit status $status: $(cat "$folder/capture.err")"
  [[ $status -ne 0 ]] || cmp -s "$recording" "$folder/Schreiber.txt" ||
    fail "killed after ${at_ms} ms, run again: capture file differs"
  check_data "$folder"
done
echo "1 passed, 0 failed ($trials kills over ${whole_ms} ms runs)"
