#!/usr/bin/env bash
# Makes the operators' package for Linux, schreiber-linux.tar.gz: one program folder
# schreiber/ with both executables, FILES/Vor/1.xls (the default template, made by our own
# engine), empty Data/ and ports/, the desktop entry and icon with a script that installs
# the entry for the current user, and the operators' text in German and English.
# usage: scripts/package-linux.sh [--build DIR] [OUT.tar.gz]
#   --build DIR  take the programs from this build folder (built already); without it
#                they are built into build/ first
#   OUT          default: <build folder>/schreiber-linux.tar.gz
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=
if [[ "${1:-}" == "--build" ]]; then
  build=$(realpath "${2:?--build needs a folder}")
  shift 2
else
  "$top/scripts/install-deps.sh" build
  build=$("$top/scripts/build.sh" --no-tests | tail -n 1)
fi
out=$(realpath -m "${1:-$build/schreiber-linux.tar.gz}")
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
folder="$stage/schreiber"
cmake --install "$build" --prefix "$folder" --strip >/dev/null
if [[ ! -x "$folder/schreiber" ]]; then
  echo "package-linux: $build has no desktop program (was Qt 6 found?)" >&2
  exit 1
fi
# The installed entry names the staging folder; the package leaves the folder open, and
# install-desktop-entry.sh fills in wherever the package was unpacked.
sed -i "s|$folder|@folder@|g" "$folder/share/applications/schreiber.desktop"
cp "$top"/scripts/linux-package/{install-desktop-entry.sh,LIESMICH.txt,README.txt} "$folder/"
rm -f "$out"
tar -C "$stage" --owner=0 --group=0 -czf "$out" schreiber
echo "$out"
