#!/usr/bin/env bash
# Makes the operators' zip and installer from the Windows build:
#  - the zip: schreiber.exe, schreiber-cli.exe and the program folder (FILES/Vor/1.xls, the
#    default template written by our own engine, and an empty Data/);
#  - the installer (MSI, made with wixl from scripts/windows-installer/schreiber.wxs): the
#    same files, installed per user into %LOCALAPPDATA%\Programs\Schreiber, a Start-menu
#    entry, the build's version (build-win/version.txt, from CMake).
# usage: scripts/package-windows.sh [OUT.zip [OUT.msi]]
#   (default: build-win/schreiber-windows.zip and build-win/schreiber-VERSION.msi)
# Prints the zip's path, then the installer's. SCHREIBER_VERSION builds another version.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$("$top/scripts/build-windows.sh" schreiber schreiber-cli | tail -n 1)
version=$(cat "$dir/version.txt")
# The installer compares three numbers; a fourth would be ignored by an upgrade.
[[ "$version" =~ ^[0-9]+(\.[0-9]+){1,2}$ ]] ||
  { echo "package-windows: version '$version' is not MAJOR.MINOR[.BUILD]" >&2; exit 1; }
out=$(realpath -m "${1:-$dir/schreiber-windows.zip}")
msi=$(realpath -m "${2:-$dir/schreiber-$version.msi}")
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

rm -f "$msi"
# wixl takes its sources' paths relative to the working folder only.
cp "$dir/window/win32/schreiber.ico" "$stage/"
(cd "$stage" && wixl -a x64 -D Version="$version" -D Stage=schreiber -D Icon=schreiber.ico \
  -o "$msi" "$top/scripts/windows-installer/schreiber.wxs")
# wixl 0.101 ignores a component's Permanent and NeverOverwrite: set them in the table
# (16 + 128), so that the installed template is the operator's from then on.
msibuild "$msi" -q "UPDATE \`Component\` SET \`Attributes\` = 144 WHERE \`Component\` = 'Template'"
echo "$out"
echo "$msi"
