#!/bin/sh
# A capture into the desktop program on a virtual X display (no backing store, so an
# uncovered window must repaint itself), played by the simulator in a program folder of
# its own. usage: keep_alive_during_capture.sh SCHREIBER SCHREIBER_CLI RECORDING
set -eu
here=$(cd "$(dirname "$0")" && pwd)
folder=$(mktemp -d "${TMPDIR:-/tmp}/schreiber-xvfb-XXXXXX")
trap 'rm -rf "$folder"' EXIT
# The program's folder is the executable's folder.
cp "$1" "$folder/schreiber"
mkdir -p "$folder/FILES/Vor" "$folder/Data" "$folder/ports"
"$2" template "$folder/FILES/Vor/1.xls"
unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1024x768x24 -bs" /usr/bin/python3 "$here/keep_alive_during_capture.py" \
  "$folder" "$2" "$3"
