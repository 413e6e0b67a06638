#!/usr/bin/env bash
# Runs tarvex on a generated valley of LINES x COLUMNS cells (default 10,000 x 10,000: a wide
# floodplain below the river's water level) and prints, as medians over RUNS runs pinned to
# one core: the run time; the I/O floor (the time to read the same input bytes and write the
# same output bytes with dd); the memory floor (the time to load the inputs into the grids a
# run holds, fill them as a run does and write the results, computing nothing: what any run
# holding the grids pays); the ratios; and the peak memory per cell.
# Usage: bench/huge_run.sh [BUILD_DIR] [LINES] [COLUMNS] [RUNS]
set -euo pipefail
. "$(dirname "$0")/grid_args.sh"
bench_grid 10000 10000 "$@"
runs=${4:-3}
command -v /usr/bin/time >/dev/null || { echo "needs /usr/bin/time (Debian package: time)"; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tarvex-huge.XXXXXX")
trap 'rm -rf "$work"' EXIT
folder="$work/images/demo"
mkdir -p "$folder"
"$build/make_demo" "$folder" "$work/answers.txt" "$lines" "$cols"
export TARVEX_IMAGES="$work/images"

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# The I/O floor: the three inputs read, the two results' bytes written.
io_floor() {
  taskset -c "$core" dd if="$folder/valley_skel.raw" of=/dev/null bs=1M status=none
  taskset -c "$core" dd if="$folder/valley_m4.raw" of="$work/floor_dem" bs=1M status=none
  taskset -c "$core" dd if="$folder/valley_mask.raw" of="$work/floor_mask" bs=1M status=none
  rm -f "$work/floor_dem" "$work/floor_mask"
}
# The memory floor: the grids loaded, filled and written by bench/memory_floor.
memory_floor() {
  taskset -c "$core" "$build/memory_floor" "$folder" valley_mask valley_skel valley "$lines" "$cols" "$work"
  rm -f "$work/floor_m4.raw" "$work/floor.raw"
}
export -f io_floor memory_floor
export folder work core build lines cols

: > "$work/floor.txt"
: > "$work/memory.txt"
: > "$work/run.txt"
for _ in $(seq "$runs"); do
  /usr/bin/time -f "%e" -a -o "$work/floor.txt" bash -c io_floor
  /usr/bin/time -f "%e" -a -o "$work/memory.txt" bash -c memory_floor
  /usr/bin/time -f "%e %M" -a -o "$work/run.txt" taskset -c "$core" "$build/tarvex" \
    < "$work/answers.txt" > "$work/console.txt"
done
grep -q "num_pix" "$work/console.txt" || { echo "the run did not trace its river"; exit 1; }

floor=$(median < "$work/floor.txt")
memory=$(median < "$work/memory.txt")
run=$(cut -d' ' -f1 "$work/run.txt" | median)
peak_kb=$(cut -d' ' -f2 "$work/run.txt" | sort -g | tail -1)
passes=$(tr '\r' '\n' < "$work/console.txt" | grep -c "modif =")
awk -v l="$lines" -v c="$cols" -v f="$floor" -v g="$memory" -v r="$run" -v m="$peak_kb" -v p="$passes" -v n="$runs" 'BEGIN {
  cells = l * c
  printf "grid            %d x %d = %d cells, %d progress lines, medians of %d runs\n", l, c, cells, p, n
  printf "I/O floor       %.2f s\n", f
  printf "memory floor    %.2f s = %.1f x the I/O floor\n", g, g / f
  printf "tarvex run      %.2f s\n", r
  printf "run / I/O floor %.1f\n", r / f
  printf "run / memory    %.1f\n", r / g
  printf "peak memory     %.0f MB = %.2f bytes per cell\n", m / 1024, m * 1024 / cells
}'
