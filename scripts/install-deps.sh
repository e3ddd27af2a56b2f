#!/usr/bin/env bash
# Installs the Debian packages of a set that are missing: one `apt-get update`, then one
# install. Does nothing when everything is there.
#   scripts/install-deps.sh build   what building and running need (packages-build.txt)
#   scripts/install-deps.sh test    that and what the tests add (packages-test.txt)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
case "${1:-}" in
  build) lists=(packages-build.txt) ;;
  test) lists=(packages-build.txt packages-test.txt) ;;
  *)
    echo "usage: scripts/install-deps.sh build|test" >&2
    exit 64
    ;;
esac
missing=()
for list in "${lists[@]}"; do
  while read -r pkg; do
    [[ -z "$pkg" || "$pkg" == \#* ]] && continue
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done <"$here/$list"
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
