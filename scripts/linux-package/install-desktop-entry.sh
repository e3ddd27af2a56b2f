#!/bin/sh
# Installs the desktop entry of this program folder for the current user, so that
# Schreiber shows in the applications menu. Run it again after moving the folder.
set -eu
folder=$(cd "$(dirname "$0")" && pwd)
# The folder's name goes into the entry as it is: refuse what the entry's quoting or the
# substitution below would change.
case "$folder" in
  *[\"\`\$\\%\|\&]* | *'
'*)
    echo "install-desktop-entry: move the folder to a name without \" \` \$ \\ % | &: $folder" >&2
    exit 1
    ;;
esac
apps="${XDG_DATA_HOME:-$HOME/.local/share}/applications"
mkdir -p "$apps"
sed "s|@folder@|$folder|g" "$folder/share/applications/schreiber.desktop" >"$apps/schreiber.desktop"
echo "installed: $apps/schreiber.desktop"
