#!/usr/bin/env bash
# One reach of a national DEM mosaic: `tarvex-gis flood` on a virtual raster (VRT) of TILES x TILES
# GeoTIFF tiles of CELLS x CELLS cells at PIXEL metres (default 20 x 20 tiles of 5000 x 5000 at
# 5 m: 100,000 x 100,000 = 10^10 cells, 500 km a side), of which 16 distinct files exist on disk,
# each placed at many positions (bench/make_mosaic.cpp says the terrain). The reach is 20 km of
# river across the corner where four tiles meet, flooded at a layer that reaches past 2 km from
# the reach's bounding box but not past 4 km: a window of the default 2000 m margin must grow.
#
# First it clips the mosaic to a GeoTIFF around the reach (8 km beyond the reach's box, on the
# mosaic's cells) and floods that: the reference, which also shows how far the flood reaches.
# Then it floods the mosaic RUNS times (default 3) on the cores TARVEX_BENCH_CORES (default
# 0,1) and prints, as medians, each beside its target:
# - the wall time of the whole command (reading, flooding, writing every output; /usr/bin/time %e),
#   target under 10 s;
# - its peak memory (the largest resident set, /usr/bin/time %M), target under 1 GiB;
# - the bytes it read: what it asked of files with read(), from the disk or the page cache
#   alike: the rchar of this shell's /proc/PID/io before and after the run, since a process
#   gains the counts of each child it reaps (about 30 kB of it is the measuring itself). GDAL
#   keeps the blocks it has read, so a file placed at several positions under the window is
#   read once; under this reach's windows every position is a distinct file. The whole mosaic
#   is 40 GB of cells, its distinct files 1.6 GB.
# Last it checks that the mosaic's depth.tif and the reference's hold the same cells on the
# same grid. Exits with 1 when a flood fails, the layer does not need a grown window, the
# depths differ or a target is missed.
#
# The mosaic is made once (1.6 GB at the default size, about 10 s) in
# TARVEX_MOSAIC_CACHE (default ${TMPDIR:-/tmp}/tarvex-mosaic-TILESxCELLS-PIXELm) and reused
# when present; delete that folder when bench/make_mosaic.cpp changes the terrain. Everything
# else goes to a temporary folder under TMPDIR, removed at the end.
# Not a test: CI does not run it. Needs /usr/bin/time (Debian package: time) and gdal-bin.
# Usage: bench/national.sh [BUILD_DIR] [CELLS] [TILES] [PIXEL] [RUNS]
#   a quick run: bench/national.sh build 1000 4 25 1
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
cells=${2:-5000}
tiles=${3:-20}
pixel=${4:-5}
runs=${5:-3}
cores=${TARVEX_BENCH_CORES:-0,1}
command -v /usr/bin/time >/dev/null || { echo "needs /usr/bin/time (Debian package: time)"; exit 2; }
command -v gdal_translate >/dev/null || { echo "needs gdal_translate (Debian package: gdal-bin)"; exit 2; }

cache=${TARVEX_MOSAIC_CACHE:-${TMPDIR:-/tmp}/tarvex-mosaic-${tiles}x${cells}-${pixel}m}
if [[ ! -d $cache ]]; then
  echo "making the mosaic in $cache ($((16 * cells * cells * 4 / 1000000)) MB, once)"
  "$build/make_mosaic" "$cache" --cells "$cells" --tiles "$tiles" --pixel "$pixel"
fi
side=$((cells * tiles))
gdalinfo "$cache/mosaic.vrt" | grep -qx "Size is $side, $side" ||
  { echo "$cache holds no mosaic of $side x $side cells: remove it or give another TARVEX_MOSAIC_CACHE"; exit 2; }
work=$(mktemp -d "${TMPDIR:-/tmp}/tarvex-national.XXXXXX")
trap 'rm -rf "$work"' EXIT
read -ra flood_options < "$cache/flood_options.txt"
flood_options+=(--river "$cache/reach.gpkg")
layer=$(printf '%s\n' "${flood_options[@]}" | grep -A1 -x -- --layer | tail -n 1)

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
# The bytes this shell and the children it has reaped have read.
rchar() { awk '$1 == "rchar:" {print $2}' "/proc/$$/io"; }
# The flood of DEM into the new folder OUT, its seconds and peak kB appended to TIMES; fails
# showing what the flood said.
flood() {
  local dem=$1 out=$2 times=$3
  if ! /usr/bin/time -f "%e %M" -a -o "$times" taskset -c "$cores" "$build/tarvex-gis" flood --dem "$dem" \
      "${flood_options[@]}" --out "$out" > "$out.log" 2>&1; then
    echo "the flood of $dem failed:"
    cat "$out.log"
    exit 1
  fi
}

# A layer's extent: xmin ymin xmax ymax.
extent_of() { ogrinfo -so -al "$1" | sed -n 's/^Extent: (\(.*\), \(.*\)) - (\(.*\), \(.*\))$/\1 \2 \3 \4/p'; }
# Stops when a figure read from GDAL's tools is missing.
need() { [[ -n $2 ]] || { echo "cannot read the $1"; exit 1; }; }
read -r rx0 ry0 rx1 ry1 < <(extent_of "$cache/reach.gpkg")
read -r ox oy < <(gdalinfo "$cache/mosaic.vrt" | sed -n 's/^Origin = (\(.*\),\(.*\))$/\1 \2/p')
need "reach's extent" "${ry1:-}"
need "mosaic's origin" "${oy:-}"

# The reference: the reach flooded on a GeoTIFF clipped from the mosaic, the reach's box and
# 8 km around it (twice the window that holds the flood), on the mosaic's cells and within it.
read -r cx0 cy0 cx1 cy1 < <(awk -v a="$rx0" -v b="$ry0" -v c="$rx1" -v d="$ry1" -v ox="$ox" -v oy="$oy" -v p="$pixel" -v n="$side" '
  function floor(v) {return v == int(v) || v > 0 ? int(v) : int(v) - 1}
  function ceil(v) {return -floor(-v)}
  function clamp(v) {return v < 0 ? 0 : (v > n ? n : v)}
  BEGIN {m = 8000
    left = clamp(floor((a - m - ox) / p)); right = clamp(ceil((c + m - ox) / p))
    top = clamp(floor((oy - d - m) / p)); bottom = clamp(ceil((oy - b + m) / p))
    printf "%.6f %.6f %.6f %.6f\n", ox + p * left, oy - p * bottom, ox + p * right, oy - p * top}')
gdal_translate -q -co TILED=YES -projwin "$cx0" "$cy1" "$cx1" "$cy0" "$cache/mosaic.vrt" "$work/clip.tif"
flood "$work/clip.tif" "$work/clipped" "$work/clip_times.txt"

# How far that flood reaches beyond the reach's box: more than the default margin (2000 m) and
# less than twice it, by a cell, for the window to grow once and then hold it.
read -r fx0 fy0 fx1 fy1 < <(extent_of "$work/clipped/extent.gpkg")
need "flood's extent" "${fy1:-}"
beyond=$(awk -v a="$rx0" -v b="$ry0" -v c="$rx1" -v d="$ry1" -v e="$fx0" -v f="$fy0" -v g="$fx1" -v h="$fy1" \
  'function max(x, y) {return x > y ? x : y} BEGIN {printf "%.0f", max(max(a - e, b - f), max(g - c, h - d))}')
grows=$(awk -v b="$beyond" -v p="$pixel" 'BEGIN {print (b > 2000 && b < 4000 - p) ? "yes" : "no"}')
status=0
echo "mosaic       $side x $side cells in $((tiles * tiles)) tiles of $cells x $cells at $pixel m;" \
  "16 distinct files, $(du -sh "$cache" | cut -f1) in $cache"
echo "reach        $(awk -v a="$rx0" -v c="$rx1" -v b="$ry0" -v d="$ry1" 'BEGIN {printf "%.0f m end to end", sqrt((c - a) ^ 2 + (d - b) ^ 2)}')," \
  "layer $layer m; on the clipped DEM ($(gdalinfo "$work/clip.tif" | sed -n 's/^Size is \(.*\), /\1 x /p') cells)" \
  "the flood reaches $beyond m beyond the reach's box, in $(cut -d' ' -f1 "$work/clip_times.txt") s and" \
  "$(($(cut -d' ' -f2 "$work/clip_times.txt") / 1024)) MB (one run)"
if [[ $grows == yes ]]; then
  echo "             a window of a 2000 m margin must grow; 4000 m holds the flood"
else
  echo "             NOT between 2000 and 4000 m: the layer does not make the window grow once"
  status=1
fi

# The runs on the mosaic. The clip has brought the reach's tiles into the page cache: the
# times are those of a warm cache, the bytes read the same either way.
: > "$work/bytes.txt"
for ((k = 1; k <= runs; ++k)); do
  before=$(rchar)
  flood "$cache/mosaic.vrt" "$work/mosaic_$k" "$work/times.txt"
  echo "$(($(rchar) - before))" >> "$work/bytes.txt"
done
seconds=$(cut -d' ' -f1 "$work/times.txt" | median)
peak_kb=$(cut -d' ' -f2 "$work/times.txt" | median)
bytes=$(median < "$work/bytes.txt")

# The two depth rasters: the same grid (size, origin, pixel, coordinate system, no-data) and the
# same bytes of cells.
grid() { gdalinfo -nomd -norat -noct -nofl "$1" | grep -v '^Files:'; }
cells_of() { gdal_translate -q -of ENVI "$1" "$2"; }
same=yes
if diff <(grid "$work/mosaic_1/depth.tif") <(grid "$work/clipped/depth.tif") > "$work/grid.diff"; then
  cells_of "$work/mosaic_1/depth.tif" "$work/mosaic.envi"
  cells_of "$work/clipped/depth.tif" "$work/clipped.envi"
  cmp -s "$work/mosaic.envi" "$work/clipped.envi" || same=no
  how="the same grid, cell for cell"
elif gdalinfo "$work/mosaic_1/depth.tif" | grep -qx "Size is $side, $side"; then
  # A flood that read the whole mosaic writes it whole: its cells on the clip's grid, and as
  # many wet cells in all, say that it is the same flood.
  gdal_translate -q -of ENVI -projwin "$cx0" "$cy1" "$cx1" "$cy0" "$work/mosaic_1/depth.tif" "$work/mosaic.envi"
  cells_of "$work/clipped/depth.tif" "$work/clipped.envi"
  cmp -s "$work/mosaic.envi" "$work/clipped.envi" || same=no
  wet() { grep -o '"wet_cells":[0-9]*' "$1/stats.json"; }
  [[ $(wet "$work/mosaic_1") == "$(wet "$work/clipped")" ]] || same=no
  how="the mosaic's depth covers the whole mosaic (no window): compared on the clip's cells, and the wet cells counted"
else
  same=no
  how="different grids: $(tr '\n' ' ' < "$work/grid.diff")"
fi
for ((k = 2; k <= runs; ++k)); do
  cmp -s "$work/mosaic_1/depth.tif" "$work/mosaic_$k/depth.tif" || { same=no; how="$how; run $k's depth differs from run 1's"; }
done

window=$(grep -i window "$work/mosaic_1/summary.txt" | sed 's/^ *//' | tr '\n' ' ' || true)
echo "window       ${window:-(the summary names none)}"
# Prints a figure beside its target (VALUE under LIMIT), and records a target missed.
target() {
  local label=$1 shown=$2 value=$3 limit=$4 text=$5 verdict=met
  awk -v v="$value" -v l="$limit" 'BEGIN {exit !(v < l)}' || { verdict=MISSED; status=1; }
  printf '  %-12s %s (target %s: %s)\n' "$label" "$shown" "$text" "$verdict"
}
echo "medians of $runs runs on cores $cores:"
target time "$seconds s" "$seconds" 10 "under 10 s"
target "peak memory" "$((peak_kb / 1024)) MB" "$peak_kb" 1048576 "under 1 GiB"
echo "  bytes read   $(awk -v b="$bytes" -v n="$side" 'BEGIN {printf "%.0f MB, %.2f %% of the mosaic'"'"'s cells", b / 1048576, b * 100 / (4 * n * n)}')"
if [[ $same == yes ]]; then
  echo "depth        the same in every run and on the clipped DEM: $how"
else
  echo "depth        DIFFERENT: $how"
  status=1
fi
exit "$status"
