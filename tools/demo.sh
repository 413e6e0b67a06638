#!/usr/bin/env bash
# Generates the synthetic valley, runs tarvex on it with scripted answers and shows where the
# results are. Usage: tools/demo.sh [BUILD_DIR] (default: build)
set -euo pipefail
build=${1:-build}
here=$(pwd)
images="$here/demo-run/images"
folder="$images/demo"
rm -rf "$here/demo-run"
mkdir -p "$folder"
"$build/make_demo" "$folder" "$here/demo-run/answers.txt"
status=0
TARVEX_IMAGES="$images" "$build/tarvex" < "$here/demo-run/answers.txt" > "$here/demo-run/console.txt" || status=$?
echo "tarvex finished with exit status $status; console transcript: demo-run/console.txt"
echo "Results in $folder:"
ls -l "$folder" | awk 'NR > 1 && /valley_flood/ {print "  " $NF " (" $5 " bytes)"}'
if [ -x "$build/tarvex-gis" ] && [ "$status" -eq 0 ]; then
  "$build/tarvex-gis" render "$folder/valley_flood" "$here/demo-run/valley_flood.png" --unit dm > /dev/null
  echo "A picture of the flood: demo-run/valley_flood.png"
fi
report="$folder/valley_flood_tarvex.txt"
if grep -q "Length parameter" "$report" 2>/dev/null; then
  echo "River measurements from the run report:"
  sed -n '/Length parameter/,$p' "$report" | sed '/^$/d; s/^[[:space:]]*/  /'
  echo
fi
exit "$status"
