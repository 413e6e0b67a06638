#!/usr/bin/env bash
# A flood library of 13 levels (layers 0 to 3 m by 0.25 m) on a generated valley of LINES x
# COLUMNS cells (default 4000 x 4000), built by one `flood --layers` on the given cores against
# 13 separate `flood --layer` runs on the same cores; and the library's peak memory against
# what its runs and its shared inputs need. Needs /usr/bin/time (Debian package: time).
# Usage: bench/library_speed.sh [BUILD_DIR] [LINES] [COLUMNS] [CORES (default 0,1)] [JOBS (default 2)]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
lines=${2:-4000}
cols=${3:-4000}
cores=${4:-0,1}
jobs=${5:-2}
work=$(mktemp -d "${TMPDIR:-/tmp}/tarvex-library.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
# A generated valley of $2 x $3 cells in folder $1, as a GeoTIFF DEM and the flood options of its reach.
valley() {
  mkdir -p "$1/demo"
  "$build/make_demo" "$1/demo" "$1/answers.txt" "$2" "$3" --envi > /dev/null
  gdal_translate -q -ot Float32 -scale 0 10 0 1 "$1/demo/valley_m4.raw" "$1/dem.tif"
  mapfile -t a < "$1/answers.txt"
  point() { echo "$((500000 + $2 * 5 + 2)),$((4800000 - $1 * 5 - 2))"; }
  common=(flood --dem "$1/dem.tif" --river "$1/demo/valley_skel.raw" --mask "$1/demo/valley_mask.raw"
    --from "$(point "${a[6]}" "${a[7]}")" --to "$(point "${a[9]}" "${a[10]}")"
    --level-from "${a[8]}" --level-to "${a[11]}" --unit dm --overwrite)
}

# The same library on a 200 x 200 valley: the program's own memory, its code and libraries,
# which does not grow with the grid.
valley small 200 200
/usr/bin/time -f "%M" -o small.mem "$build/tarvex-gis" "${common[@]}" --layers 0:3:0.25 --jobs "$jobs" \
  --out small/library > /dev/null
valley . "$lines" "$cols"

start=$(date +%s.%N)
/usr/bin/time -f "%M" -o library.mem taskset -c "$cores" "$build/tarvex-gis" "${common[@]}" \
  --layers 0:3:0.25 --jobs "$jobs" --out library > /dev/null
library=$(echo "$(date +%s.%N) - $start" | bc)

start=$(date +%s.%N)
for t in 0 0.25 0.5 0.75 1 1.25 1.5 1.75 2 2.25 2.5 2.75 3; do
  /usr/bin/time -f "%M" -o single.mem taskset -c "$cores" "$build/tarvex-gis" "${common[@]}" --layer "$t" \
    --out "single_$t" > /dev/null
done
singles=$(echo "$(date +%s.%N) - $start" | bc)

cells=$((lines * cols))
echo "grid               $lines x $cols cells, 13 levels, cores $cores"
echo "library, $jobs jobs    $library s"
echo "13 separate runs   $singles s"
echo "speed-up           $(echo "scale=2; $singles / $library" | bc) x"
echo "peak memory        library $(($(cat library.mem) / 1024)) MB = $(echo "scale=1; $(cat library.mem) * 1024 / $cells" | bc) bytes a cell;" \
     "one single run $(($(cat single.mem) / 1024)) MB = $(echo "scale=1; $(cat single.mem) * 1024 / $cells" | bc) bytes a cell"
echo "grown with the grid library $(echo "scale=1; ($(cat library.mem) - $(cat small.mem)) * 1024 / $cells" | bc) bytes a cell" \
     "(the program alone: $(($(cat small.mem) / 1024)) MB); target: the shared inputs 10 + $jobs runs' grids of 13 = $((10 + 13 * jobs))"
