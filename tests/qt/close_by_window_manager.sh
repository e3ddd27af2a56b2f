#!/bin/sh
# Runs the desktop program in a fresh program folder on a virtual X display and closes
# it through the window manager's close. usage: close_by_window_manager.sh SCHREIBER
set -eu
here=$(cd "$(dirname "$0")" && pwd)
folder=$(mktemp -d "${TMPDIR:-/tmp}/schreiber-xvfb-XXXXXX")
trap 'rm -rf "$folder"' EXIT
# The program's folder is the executable's folder.
cp "$1" "$folder/schreiber"
unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1024x768x24" /usr/bin/python3 "$here/close_by_window_manager.py" "$folder"
