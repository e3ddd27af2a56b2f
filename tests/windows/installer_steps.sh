# Sourced by scripts/test-windows.sh after the zip (step 4): the operators' installer in a
# Wine prefix of its own, as an operator meets it. Installed silently for the user, the
# installed schreiber-cli.exe captures the sample recording over Wine's COM1; a newer
# build installs over it and keeps the operator's files (workbooks, PORT.ini, the capture
# file, a changed and an added template); the uninstall removes the programs and the
# Start-menu entry and keeps the operator's files.
# Uses from test-windows.sh: top wine work linux_cli recording fail pass windows_path
# new_session, and the installers $installer (this build) and $newer_installer (the same
# build with version $newer_version).

installer_prefix="$work/wine-installer"
# Wine's menu builder would copy the Start-menu entry into this Linux desktop's menus.
installer_wine() {
  WINEPREFIX="$installer_prefix" WINEDLLOVERRIDES="winemenubuilder.exe=d" "$wine" "$@"
}
installer_session_end() { WINEPREFIX="$installer_prefix" /usr/lib/wine/wineserver -w 2>/dev/null || true; }
msiexec_quiet() {
  local status=0
  installer_wine msiexec "$1" "$(windows_path "$2")" /qn >>"$log" 2>&1 || status=$?
  installer_session_end
  [[ $status -eq 0 ]] || fail "msiexec $1 $(basename "$2"): exit status $status"
}
# The product's version in the list of installed programs; empty when it is not listed.
# Windows lists a per-user product under HKCU, Wine's msiexec under HKLM: both are read.
installed_entry() {
  local root
  for root in HKCU HKLM; do
    installer_wine reg query "$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" /s 2>/dev/null || true
  done | tr -d '\r' | awk '/^HKEY/ {key = $0} /DisplayName.*Schreiber/ {found = key}
      /DisplayVersion/ {version[key] = $NF} END {if (found) print version[found]}'
  installer_session_end
}
# Checksums of the operator's files in the installed folder.
operators_files() {
  (cd "$installed" && md5sum PORT.ini Schreiber.txt FILES/Vor/1.xls FILES/Vor/2.xls Data/*.xls)
}

SECONDS=0
new_session
WINEPREFIX="$installer_prefix" "$wine" wineboot -i >/dev/null 2>&1
installer_wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$line" /f >/dev/null 2>&1
installer_session_end
msiexec_quiet /i "$installer"
user_folder=$(find "$installer_prefix/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public)
installed="$user_folder/AppData/Local/Programs/Schreiber"
start_menu="$user_folder/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Schreiber.lnk"
for f in schreiber.exe schreiber-cli.exe FILES/Vor/1.xls; do
  [[ -s "$installed/$f" ]] || fail "installed folder lacks $f"
done
[[ -d "$installed/Data" && -z "$(ls -A "$installed/Data")" ]] || fail "no empty Data folder"
[[ -f "$start_menu" ]] || fail "no Start-menu entry"
# The entry points at the program and shows the installer's icon (strings of the link file).
link_text=$(tr -d '\0' <"$start_menu")
[[ "$link_text" == *'Programs\Schreiber\schreiber.exe'* ]] || fail "the Start-menu entry's target"
[[ "$link_text" == *'Microsoft\Installer\{'*'}\schreiber.ico'* ]] || fail "the Start-menu entry has no icon"
[[ -s $(find "$user_folder/AppData/Roaming/Microsoft/Installer" -name schreiber.ico | head -1) ]] ||
  fail "the installer did not place the icon"
[[ "$(installed_entry)" == "$version" ]] || fail "installed programs list: '$(installed_entry)'"
[[ "$(installer_wine "$installed/schreiber-cli.exe" --version | tr -d '\r')" == "schreiber-cli $version" ]] ||
  fail "installed schreiber-cli.exe --version"
installer_session_end
pass "installer: per user into AppData\\Local\\Programs\\Schreiber, Start-menu entry with icon, listed with version $version"

SECONDS=0
"$linux_cli" simulate --link "$line" "$recording" --start-when-configured 2>>"$work/simulate.err" &
for _ in $(seq 50); do [[ -L "$line" ]] && break; sleep 0.1; done
status=0
installer_wine "$installed/schreiber-cli.exe" capture --port 1 >/dev/null 2>"$work/installed.err" || status=$?
wait
installer_session_end
[[ $status -eq 0 ]] || fail "installed capture: exit status $status: $(cat "$work/installed.err")"
cmp -s "$recording" "$installed/Schreiber.txt" || fail "installed capture file differs"
[[ $(find "$installed/Data" -name '*.xls' | wc -l) -eq 3 ]] || fail "installed: not 3 workbooks"
pass "the installed schreiber-cli.exe captures over COM1 into 3 workbooks"

SECONDS=0
# The operator changes the default template and adds one.
"$linux_cli" put "$installed/FILES/Vor/1.xls" --sheet Data 2 1 "Anlage Nord" >/dev/null
cp "$installed/FILES/Vor/1.xls" "$installed/FILES/Vor/2.xls"
kept=$(operators_files)
msiexec_quiet /i "$newer_installer"
[[ "$(installer_wine "$installed/schreiber-cli.exe" --version | tr -d '\r')" == "schreiber-cli $newer_version" ]] ||
  fail "upgrade: the programs were not replaced"
installer_session_end
[[ "$(installed_entry)" == "$newer_version" ]] || fail "upgrade: listed as '$(installed_entry)'"
[[ "$(operators_files)" == "$kept" ]] || fail "upgrade changed the operator's files: $(operators_files)"
[[ -f "$start_menu" ]] || fail "upgrade: no Start-menu entry"
pass "a newer installer ($newer_version) replaces the programs, keeps workbooks, PORT.ini, the capture and the templates"

SECONDS=0
msiexec_quiet /x "$newer_installer"
for f in schreiber.exe schreiber-cli.exe; do
  [[ ! -e "$installed/$f" ]] || fail "uninstall left $f"
done
[[ ! -e "$start_menu" ]] || fail "uninstall left the Start-menu entry"
[[ -z "$(installed_entry)" ]] || fail "uninstall left the installed programs' entry"
[[ "$(operators_files)" == "$kept" ]] || fail "uninstall touched the operator's files"
pass "uninstall removes the programs and the Start-menu entry, keeps the operator's files"
