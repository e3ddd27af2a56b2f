#!/usr/bin/env bash
# The main job: install what building needs (scripts/packages-build.txt), build the
# programs without the tests, lay out a fresh program folder in demo/, let the built-in
# instrument simulator play the sample recording on demo/ports/COM1, capture it and
# convert it, then list the workbooks made and show the first one.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh" build
dir=$("$top/scripts/build.sh" --no-tests | tail -n 1)
demo="$top/demo"
rm -rf "$demo"  # the demo's own scratch folder: every run starts from a fresh program folder
cmake --install "$dir" --prefix "$demo" >/dev/null
cli="$demo/schreiber-cli"

"$cli" simulate --link "$demo/ports/COM1" "$top/samples/recording.bin" --start-when-configured &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [[ -e "$demo/ports/COM1" ]] && break; sleep 0.1; done

status=0
"$cli" capture --folder "$demo" --port 1 || status=$?
wait $sim 2>/dev/null || true
echo
shopt -s nullglob
books=("$demo"/Data/*.xls)
echo "workbooks in $demo/Data: ${#books[@]}"
for b in "${books[@]}"; do echo "  $(basename "$b")"; done
if ((${#books[@]})); then
  echo
  echo "== $(basename "${books[0]}"), sheet Data"
  "$cli" dump "${books[0]}" --sheet Data
fi
exit "$status"
