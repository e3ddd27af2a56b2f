#!/usr/bin/env bash
# schreiber-cli end to end, as an operator's script would use it: a program folder with
# the default template, the simulator on ports/COM1, capture, the workbooks read back by
# dump; then the failures a script must be able to tell apart by exit status.
set -euo pipefail
cli_built=${1:?path of schreiber-cli}
recording=${2:?path of the sample recording}
version=${3:?version of the build}
folder=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$folder"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p "$folder/FILES/Vor" "$folder/Data" "$folder/ports"
cp "$cli_built" "$folder/schreiber-cli"
cli="$folder/schreiber-cli"
[[ "$("$cli" --version)" == "schreiber-cli $version" ]] || fail "--version: $("$cli" --version)"
"$cli" template "$folder/FILES/Vor/1.xls"
"$cli" template "$folder/FILES/Vor/1.xls" 2>/dev/null && fail "template overwrote a file"

# The whole road; the folder defaults to the executable's. Started early in a minute, so
# that the second conversion below nearly always falls into the capture's minute.
(( 10#$(date +%S) < 45 )) || sleep $((60 - 10#$(date +%S)))
"$cli" simulate --link "$folder/ports/COM1" "$recording" --start-when-configured 2>/dev/null &
for _ in $(seq 50); do [[ -L "$folder/ports/COM1" ]] && break; sleep 0.1; done
status=0
"$cli" capture --port 1 2>"$folder/capture.err" || status=$?
[[ $status -eq 0 ]] || fail "capture exit status $status: $(cat "$folder/capture.err")"
cmp -s "$recording" "$folder/Schreiber.txt" || fail "capture file differs from the recording"
[[ $(cat "$folder/PORT.ini") == $'0\r' ]] || fail "PORT.ini not written by --port"
count=$(find "$folder/Data" -name '*.xls' | wc -l)
[[ $count -eq 3 ]] || fail "expected 3 workbooks, found $count"
book=$(find "$folder/Data" -name 'Ruecklauf_K1_*.xls')
dump=$("$cli" dump "$book" --sheet Data)
grep -q $'^1\t1\ttext\tOK$' <<<"$dump" || fail "no OK in cell 1,1"
grep -q $'^5\t6\ttext\tR\xc3\xbccklauf Kessel 1$' <<<"$dump" || fail "comment with umlaut missing"
grep -q $'^6\t2\tnumber\t0.3333333333333333\t8:00:00$' <<<"$dump" || fail "time not stored as a time"
grep -q $'^6\t3\tnumber\t44.9$' <<<"$dump" || fail "value not stored as a number"

# The same capture converted again: the workbook names carry the minute, so within the
# capture's minute the names exist already: exit status 2, failure 58 on standard error, no
# new workbook. In a later minute it makes three new ones. Either way the first run's
# workbooks stay untouched. The minute is read around the conversion, not guessed.
first=$(find "$folder/Data" -name '*_*.xls' | sort)
stamp=$(basename "$book" .xls | sed 's/^.*_\([0-9]\{8\}_[0-9]\{4\}\)$/\1/')
before=$(md5sum $first)
minute_before=$(date +%Y%m%d_%H%M)
status=0
"$cli" convert 2>"$folder/convert.err" || status=$?
minute_after=$(date +%Y%m%d_%H%M)
[[ "$(md5sum $first)" == "$before" ]] || fail "convert again changed the first workbooks"
made=$(find "$folder/Data" -name '*_*.xls' | sort | comm -13 <(echo "$first") -)
collided() {
  [[ $status -eq 2 && -z "$made" ]] && grep -q '^\[Error\] 58$' "$folder/convert.err"
}
made_anew() {
  [[ $status -eq 0 && $(wc -l <<<"$made") -eq 3 ]] &&
    ! grep -qv "_${minute_after}.xls\$\|_${minute_before}.xls\$" <<<"$made"
}
if [[ $minute_before == "$stamp" && $minute_after == "$stamp" ]]; then
  collided || fail "convert again in the same minute: status $status, new: $made"
elif [[ $minute_before == "$minute_after" ]]; then
  made_anew || fail "convert again in a later minute: status $status, new: $made"
else
  collided || made_anew || fail "convert again across a minute: status $status, new: $made"
fi
rm -f $made

# A pick that cannot be stored is reported but does not decide the exit status: a capture
# that the instrument cuts short is "too short" (3) all the same.
rm -f "$folder/PORT.ini" "$folder/ports/COM1"
mkdir "$folder/PORT.ini"
"$cli" simulate --link "$folder/ports/COM1" "$recording" --hangup-after 5 \
  --start-when-configured 2>/dev/null &
for _ in $(seq 50); do [[ -L "$folder/ports/COM1" ]] && break; sleep 0.1; done
status=0
"$cli" capture --port 1 2>"$folder/short.err" || status=$?
[[ $status -eq 3 ]] || fail "short capture after a failed pick: exit status $status"
grep -q '^\[Error\] PORT.ini$' "$folder/short.err" || fail "failed pick not reported"
rmdir "$folder/PORT.ini"

# No instrument on the port: exit status 1 and the message.
rm -f "$folder/ports/COM1"
ln -s "$folder/no-such-device" "$folder/ports/COM1"
status=0
"$cli" capture 2>"$folder/open.err" || status=$?
[[ $status -eq 1 ]] || fail "open failure: exit status $status"
grep -q '^\[Error\] Port opening Error$' "$folder/open.err" || fail "open failure message"
grep -q '^Error Number: -1$' "$folder/open.err" || fail "open failure code"
# The line after the message: the device and why it did not open.
grep -A1 '^Error Number: -1$' "$folder/open.err" | tail -n 1 |
  grep -Eq "^COM 1: $folder/ports/COM1 -> $folder/no-such-device: no such device; (no serial devices found|serial devices here: /dev/.+)$" ||
  fail "open failure reason: $(cat "$folder/open.err")"

# ports: the listing shows what COM 1 opens; a link to nothing is refused, unlink removes.
"$cli" ports | grep -qx "  COM 1  ports/COM1 -> $folder/no-such-device: no such device" ||
  fail "ports listing: $("$cli" ports)"
status=0
"$cli" ports link 2 "$folder/no-such-device" >/dev/null 2>&1 || status=$?
[[ $status -eq 1 && ! -e "$folder/ports/COM2" ]] || fail "link to a missing device: status $status"
"$cli" ports unlink 1 >/dev/null || fail "unlink"
[[ ! -L "$folder/ports/COM1" ]] || fail "unlink left the link"

# Bad input: a one-line reason and a non-zero status.
"$cli" capture --port 10 2>/dev/null && fail "--port 10 accepted"
"$cli" ports link 10 ttyS0 2>/dev/null && fail "ports link 10 accepted"
"$cli" dump "$folder/Schreiber.txt" >/dev/null 2>&1 && fail "dump of a non-workbook succeeded"
echo "1 passed, 0 failed"
