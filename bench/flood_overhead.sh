#!/usr/bin/env bash
# The overhead of tarvex-gis flood over the engine alone, on a generated valley of LINES x
# COLUMNS cells (default 4000 x 4000): the command from GeoTIFF and raster inputs to its whole
# folder (imports, centreline, engine, outputs, pictures, checks), against the console program
# replaying the same run from the folder's run/ (reading the rasters, the engine, writing the
# five results). The flood runs on the whole grid (--extent full). Medians of RUNS runs, pinned
# to one core.
# Usage: bench/flood_overhead.sh [BUILD_DIR] [LINES] [COLUMNS] [RUNS]
set -euo pipefail
. "$(dirname "$0")/grid_args.sh"
bench_grid 4000 4000 "$@"
runs=${4:-3}
work=$(mktemp -d "${TMPDIR:-/tmp}/tarvex-flood.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir -p demo
"$build/make_demo" demo answers.txt "$lines" "$cols" --envi > /dev/null
gdal_translate -q -ot Float32 -scale 0 10 0 1 demo/valley_m4.raw dem.tif   # decimetres to metres
mapfile -t a < answers.txt
# The dialog's answers: line and column of the two ends, their levels, the layer (5 m pixels
# from (500000, 4800000)).
point() { echo "$((500000 + $2 * 5 + 2)),$((4800000 - $1 * 5 - 2))"; }
flood_args=(flood --dem dem.tif --river demo/valley_skel.raw --mask demo/valley_mask.raw
  --from "$(point "${a[6]}" "${a[7]}")" --to "$(point "${a[9]}" "${a[10]}")"
  --level-from "${a[8]}" --level-to "${a[11]}" --layer "${a[18]},${a[19]}" --unit dm --rules described --surface straight --extent full --out out --overwrite)

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
seconds() { /usr/bin/time -f %e "$@" 2>&1 >/dev/null | tail -n 1; }

flood_times=() engine_times=()
for ((k = 0; k < runs; ++k)); do
  flood_times+=("$(seconds taskset -c "$core" "$build/tarvex-gis" "${flood_args[@]}")")
  engine_times+=("$(TARVEX_IMAGES=out/run/images seconds taskset -c "$core" "$build/tarvex" < out/run/answers.txt)")
done
f=$(printf '%s\n' "${flood_times[@]}" | median)
e=$(printf '%s\n' "${engine_times[@]}" | median)
echo "grid              $lines x $cols cells, medians of $runs runs on core $core"
echo "tarvex-gis flood  $f s"
echo "engine alone      $e s (the console program replaying out/run)"
echo "overhead          $(awk -v f="$f" -v e="$e" 'BEGIN {printf "%.2f x the engine alone, %.2f s more", f / e, f - e}')"
