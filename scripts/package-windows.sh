#!/usr/bin/env bash
# Makes the operators' zip: schreiber.exe, schreiber-cli.exe and the program folder
# (FILES/Vor/1.xls, the default template written by our own engine, and an empty Data/).
# usage: scripts/package-windows.sh [OUT.zip]   (default: build-win/schreiber-windows.zip)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$("$top/scripts/build-windows.sh" | tail -n 1)
out=$(realpath -m "${1:-$dir/schreiber-windows.zip}")
export WINEDEBUG=-all WINEPREFIX="${WINEPREFIX:-$dir/wine}"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
folder="$stage/schreiber"
mkdir -p "$folder/FILES/Vor" "$folder/Data"
for exe in window/win32/schreiber.exe cli/schreiber-cli.exe; do
  x86_64-w64-mingw32-strip -o "$folder/$(basename "$exe")" "$dir/$exe"
done
# The template comes from the Windows program itself (Wine's drive Z: is the root).
windows_path() { echo "Z:${1//\//\\}"; }
/usr/lib/wine/wine64 "$folder/schreiber-cli.exe" template "$(windows_path "$folder/FILES/Vor/1.xls")"
[[ -s "$folder/FILES/Vor/1.xls" ]] || { echo "package-windows: no template made" >&2; exit 1; }
rm -f "$out"
(cd "$stage" && zip -qr "$out" schreiber)
echo "$out"
