# Sourced by scripts/test-windows.sh after its serial road (step 2), whose program folder
# ($folder) holds the embedded application's workbooks of the sample recording: the
# spreadsheet path against a real out-of-process automation server. The test server
# (excel_server/) is registered as "Excel.Application" in this Wine prefix only and is
# reached over Wine's COM (LocalServer32 activation, the running object table, marshalling
# of IDispatch and VARIANTs); it writes every call it receives to $calls.
# Uses from test-windows.sh: top dir wine work log line recording linux_cli folder fail pass
# new_session windows_path.

server_exe="$dir/tests/windows/excel_test_server.exe"
server_class='{6D1C5E3A-2B7F-4C88-9E41-5A0B3F7D2C19}'
calls="$work/calls.log"
export SCHREIBER_SERVER_LOG
SCHREIBER_SERVER_LOG=$(windows_path "$calls")
reference="$folder/Data"
template="$folder/FILES/Vor/1.xls"

# Registers the server's class for the program id "Excel.Application" ("on"), or removes both.
register_server() {
  local reg="$work/server.reg" exe
  exe=$(windows_path "$server_exe")
  if [[ "$1" == on ]]; then
    printf 'REGEDIT4\n\n[HKEY_CLASSES_ROOT\\Excel.Application\\CLSID]\n@="%s"\n\n' \
      "$server_class" >"$reg"
    printf '[HKEY_CLASSES_ROOT\\CLSID\\%s\\LocalServer32]\n@="%s"\n' \
      "$server_class" "${exe//\\/\\\\}" >>"$reg"
  else
    printf 'REGEDIT4\n\n[-HKEY_CLASSES_ROOT\\Excel.Application]\n\n[-HKEY_CLASSES_ROOT\\CLSID\\%s]\n' \
      "$server_class" >"$reg"
  fi
  "$wine" regedit /S "$(windows_path "$reg")" >>"$log" 2>&1
}

# A fresh program folder $work/NAME with TEMPLATE as FILES/Vor/1.xls; prints its path.
program_folder() {
  local f="$work/$1"
  mkdir -p "$f/FILES/Vor" "$f/Data"
  cp "$dir/cli/schreiber-cli.exe" "$f/"
  cp "$2" "$f/FILES/Vor/1.xls"
  echo "$f"
}

# Plays the sample recording over COM1 into schreiber-cli.exe in folder $1. The exit
# status goes to $status, standard error (without carriage returns) to $1/capture.err.
capture_into() {
  "$linux_cli" simulate --link "$line" "$recording" --start-when-configured \
    2>>"$work/simulate.err" &
  local simulator=$!
  for _ in $(seq 50); do [[ -L "$line" ]] && break; sleep 0.1; done
  status=0
  "$wine" "$1/schreiber-cli.exe" capture --port 1 >/dev/null 2>"$1/capture.raw" || status=$?
  tr -d '\r' <"$1/capture.raw" >"$1/capture.err"
  wait "$simulator" || true
  cmp -s "$recording" "$1/Schreiber.txt" || fail "$1: capture file differs from the recording"
}

# Starts the server by hand, with the fault $1, and waits until it is in the running
# object table.
start_server() {
  : >"$calls"
  SCHREIBER_SERVER_FAULT="$1" "$wine" "$server_exe" >>"$log" 2>&1 &
  server_pid=$!
  for _ in $(seq 300); do
    grep -qx running "$calls" && return
    grep -q '^registration failed' "$calls" && break
    sleep 0.1
  done
  fail "the test server did not start: $(cat "$calls")"
}

# The server started by hand ends (the application's Quit ends it).
server_ended() {
  for _ in $(seq 300); do kill -0 "$server_pid" 2>/dev/null || return 0; sleep 0.1; done
  fail "the test server still runs after Quit"
}

# The messages of the run in folder $1: standard error from the first message box up to the
# capture file's line (the progress line comes before).
message_of() { sed -n '/^\[/,$p' "$1/capture.err" | sed '/^capture file: /,$d'; }

# The data folder of $1 holds just the workbooks the server opened, each equal to the
# embedded application's.
workbooks_as_embedded() {
  local books=("$1"/Data/*)
  [[ ${#books[@]} -eq $(ls "$reference" | wc -l) ]] || fail "$1: data folder holds ${books[*]}"
  /usr/bin/python3 "$top/tests/windows/same_workbooks.py" "$reference" "${books[@]}" ||
    fail "$1: workbooks differ from the embedded application's"
}

# The server's log is the export's call sequence for the workbooks in $1's data folder.
calls_as_expected() {
  /usr/bin/python3 "$top/tests/windows/expected_calls.py" "$calls" "$(windows_path "$1/Data/")" \
    "$reference" "${@:2}" || fail "$1: the server's calls"
}

# The workbook $2 in $1's data folder is the template's copy, never saved by the server.
untouched_copy() {
  cmp -s "$1/Data/$2" "$1/FILES/Vor/1.xls" || fail "$1: $2 is not the template's untouched copy"
}

# Workbook names in the order the server was asked to open them.
opened_workbooks() { sed -n 's/^Workbooks\.Open .*\\\(.*\)")$/\1/p' "$calls" | uniq; }

new_session
register_server on

SECONDS=0
new_session
start_server ""
run=$(program_folder attached "$template")
capture_into "$run"
[[ $status -eq 0 ]] || fail "attached: exit status $status: $(cat "$run/capture.err")"
server_ended
workbooks_as_embedded "$run"
calls_as_expected "$run"
pass "attached to the running server: workbooks as the embedded application's, the calls expected, Quit ends it"

SECONDS=0
new_session
: >"$calls"
run=$(program_folder created "$template")
capture_into "$run"
[[ $status -eq 0 ]] || fail "created: exit status $status: $(cat "$run/capture.err")"
# The server COM started ends with Quit, and with it the last program of Wine's session.
timeout 120 /usr/lib/wine/wineserver -w || fail "created: a program still runs after Quit"
workbooks_as_embedded "$run"
calls_as_expected "$run" --created
pass "created by the program (COM starts the server): the same workbooks and calls"

SECONDS=0
new_session
start_server refuse-access
run=$(program_folder refused "$template")
capture_into "$run"
[[ $status -eq 2 ]] || fail "access refused: exit status $status"
book=$(ls "$run/Data")
[[ "$(message_of "$run")" == "[Zugriff verweigert] Zugriff verweigert: Excel hat den Zugriff abgelehnt (Fehler 70).

File: $book

Die Arbeitsmappe konnte nicht geschrieben werden." ]] || fail "access refused: $(cat "$run/capture.err")"
untouched_copy "$run" "$book"
[[ "$(cat "$calls")" == $'running\nApplication names Workbooks lcid=0409\nfailed 80070005' ]] ||
  fail "access refused: calls $(cat "$calls")"
pass "access refused at the first call after attaching: the permission message (70); the copy is left unopened"

SECONDS=0
new_session
start_server open-exception
run=$(program_folder excepted "$template")
capture_into "$run"
[[ $status -eq 2 ]] || fail "exception at Open: exit status $status"
book=$(ls "$run/Data")
[[ "$(message_of "$run")" == "[Abbruch] 1004
Die Methode 'Open' für das Objekt 'Workbooks' ist fehlgeschlagen.

File: $book

Ist Excel korrekt installiert?" ]] || fail "exception at Open: $(cat "$run/capture.err")"
untouched_copy "$run" "$book"
pass "exception 1004 at Open: the cancel message with the server's description"

SECONDS=0
new_session
start_server reject-first-open
run=$(program_folder rejected "$template")
capture_into "$run"
[[ $status -eq 0 ]] || fail "rejected Open: exit status $status: $(cat "$run/capture.err")"
server_ended
workbooks_as_embedded "$run"
calls_as_expected "$run" --rejected-first-open
pass "first Open rejected by the busy server (RPC_E_CALL_REJECTED, a number below 0): tried again, every workbook written"

SECONDS=0
new_session
start_server die-in-block
run=$(program_folder died "$template")
capture_into "$run"
[[ $status -eq 2 ]] || fail "server killed: exit status $status"
[[ "$(tail -1 "$calls")" == killed ]] || fail "server killed: the server was not killed"
mapfile -t books < <(opened_workbooks)
[[ ${#books[@]} -eq 2 && $(ls "$run/Data" | wc -l) -eq 2 ]] ||
  fail "server killed: opened ${books[*]}, the data folder holds $(ls "$run/Data")"
/usr/bin/python3 "$top/tests/windows/same_workbooks.py" "$reference" "$run/Data/${books[0]}" ||
  fail "server killed: the workbook before"
untouched_copy "$run" "${books[1]}"
# The calls fail as calls to a server that is gone: RPC_E_SERVER_DIED or
# RPC_S_SERVER_UNAVAILABLE, numbered as the code's signed 32-bit value, described by the
# system's text.
message=$(message_of "$run")
grep -qxE '\[Error\] (-2147418105|-2147023174)' <<<"$(head -1 <<<"$message")" ||
  fail "server killed: $message"
[[ $(sed -n 2p <<<"$message") =~ [a-z] ]] || fail "server killed: no description: $message"
pass "server killed in the middle of a block: the run ends with its message, the workbook before stays"

SECONDS=0
new_session
no_sheet="$work/no-data-sheet.xls"
/usr/bin/python3 -c 'import sys, xlwt; b = xlwt.Workbook(); b.add_sheet("Tabelle1"); b.save(sys.argv[1])' \
  "$no_sheet"
start_server ""
run=$(program_folder no-sheet "$no_sheet")
capture_into "$run"
[[ $status -eq 2 ]] || fail "no sheet Data: exit status $status"
book=$(ls "$run/Data")
[[ "$(message_of "$run")" == "[Abbruch] 9
Subscript out of range

File: $book

Ist Excel korrekt installiert?" ]] || fail "no sheet Data: $(cat "$run/capture.err")"
untouched_copy "$run" "$book"
pass "template without the sheet Data: the cancel message with 9"

new_session
register_server off
