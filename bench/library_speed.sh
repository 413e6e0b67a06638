#!/usr/bin/env bash
# A flood library of 13 levels (layers 0 to 3 m by 0.25 m) on a generated valley of LINES x
# COLUMNS cells (default 4000 x 4000), built by one `flood --layers` on the given cores against
# 13 separate `flood --layer` runs on the same cores; and the library's peak memory against
# what its runs and its shared inputs need; every run on the whole grid (--extent full), not a
# window of it. Needs /usr/bin/time (Debian package: time).
# Times and peaks are medians of REPEATS runs of each side; the library's highest peak is shown too.
# Usage: bench/library_speed.sh [BUILD_DIR] [LINES] [COLUMNS] [CORES (default 0,1)] [JOBS (default 2)] [REPEATS (default 3)]
set -euo pipefail
. "$(dirname "$0")/grid_args.sh"
bench_grid 4000 4000 "$@"
cores=${4:-0,1}
jobs=${5:-2}
repeats=${6:-3}
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
    --level-from "${a[8]}" --level-to "${a[11]}" --unit dm --rules described --surface straight --extent full --overwrite)
}

# The same library on a 200 x 200 valley: the program's own memory, its code and libraries,
# which does not grow with the grid.
valley small 200 200
/usr/bin/time -f "%M" -o small.mem "$build/tarvex-gis" "${common[@]}" --layers 0:3:0.25 --jobs "$jobs" \
  --out small/library > /dev/null
valley . "$lines" "$cols"

# A side timed once: its seconds appended to $1.times, its peak memory (kB) to $1.mems.
timed() {
  local name=$1 start
  shift
  start=$(date +%s.%N)
  "$@"
  echo "$(date +%s.%N) - $start" | bc >> "$name.times"
}
library_run() {
  /usr/bin/time -f "%M" -a -o library.mems taskset -c "$cores" "$build/tarvex-gis" "${common[@]}" \
    --layers 0:3:0.25 --jobs "$jobs" --out library > /dev/null
}
singles_run() {
  for t in 0 0.25 0.5 0.75 1 1.25 1.5 1.75 2 2.25 2.5 2.75 3; do
    /usr/bin/time -f "%M" -o single.mem taskset -c "$cores" "$build/tarvex-gis" "${common[@]}" --layer "$t" \
      --out "single_$t" > /dev/null
  done
}
median() { sort -n "$1" | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
# The two sides in turn, $repeats times each, so that both see the machine in the same state.
for r in $(seq "$repeats"); do
  timed library library_run
  timed singles singles_run
done
library=$(median library.times)
singles=$(median singles.times)
median library.mems > library.mem
sort -n library.mems | tail -1 > library.max

cells=$((lines * cols))
echo "grid               $lines x $cols cells, 13 levels, cores $cores, medians of $repeats"
echo "library, $jobs jobs    $library s"
echo "13 separate runs   $singles s"
echo "speed-up           $(echo "scale=2; $singles / $library" | bc) x"
echo "peak memory        library $(($(cat library.mem) / 1024)) MB = $(echo "scale=1; $(cat library.mem) * 1024 / $cells" | bc) bytes a cell;" \
     "one single run $(($(cat single.mem) / 1024)) MB = $(echo "scale=1; $(cat single.mem) * 1024 / $cells" | bc) bytes a cell"
# What the peak may be: the program alone, $jobs runs as the engine counts what a run needs (its
# grids of 11 bytes a cell at most with their row pointers, and the cell lists of 64 passes: see
# src/engine/run_memory.cpp), and the inputs the runs share: the reach's DEM and mask (5 bytes a cell;
# its skeleton is kept as the path, the stage is gathered once the runs are done).
run_need=$((11 * cells + lines * (4 * 24 + 40) + (5 * cols + 2 * (lines + cols)) * 8 * 64))
target=$(($(cat small.mem) * 1024 + jobs * run_need + 5 * cells))
echo "target             the program alone $(($(cat small.mem) / 1024)) MB + $jobs runs of $((run_need / 1048576)) MB" \
     "+ shared $((5 * cells / 1048576)) MB = $((target / 1048576)) MB; the library's peak is" \
     "$(echo "scale=1; $(cat library.mem) * 1024 * 100 / $target" | bc) % of it" \
     "(highest: $(echo "scale=1; $(cat library.max) * 1024 * 100 / $target" | bc) %)"
