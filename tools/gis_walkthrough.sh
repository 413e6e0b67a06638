#!/usr/bin/env bash
# The README's "From GeoTIFF to flood map" walk-through, step by step.
# Usage: tools/gis_walkthrough.sh [BUILD_DIR] (default: build); works in ./gis-demo
set -euo pipefail
build=${1:-build}
rm -rf gis-demo && mkdir -p gis-demo/source gis-demo/images/demo

# 0. GeoTIFFs to start from: the demo valley, placed in UTM zone 31 N (use your own instead).
"$build/make_demo" gis-demo/source gis-demo/answers.txt --envi
gdal_translate -q -ot Float32 -scale 0 10 0 1 gis-demo/source/valley_m4.raw gis-demo/dem.tif
gdal_translate -q gis-demo/source/valley_mask.raw gis-demo/river.tif
gdal_translate -q gis-demo/source/valley_skel.raw gis-demo/centreline.tif

# 1. Bring them in as tarvex rasters (the DEM in decimetres).
"$build/tarvex-gis" import-dem gis-demo/dem.tif gis-demo/images/demo/valley --unit dm
"$build/tarvex-gis" import-mask gis-demo/river.tif gis-demo/images/demo/valley_mask
"$build/tarvex-gis" import-skeleton gis-demo/centreline.tif gis-demo/images/demo/valley_skel

# 2. Run tarvex with the dialog's answers.
TARVEX_IMAGES=gis-demo/images "$build/tarvex" < gis-demo/answers.txt > gis-demo/console.txt

# 3. Take the results out to GIS, and look at them.
result=gis-demo/images/demo/valley_flood
"$build/tarvex-gis" export "${result}_tarvex.raw" gis-demo/flood_extent.tif --like gis-demo/images/demo/valley_m4.raw
"$build/tarvex-gis" export "${result}_tarvex_m4.raw" gis-demo/flood_depth.tif --like gis-demo/images/demo/valley_m4.raw \
  --depth gis-demo/images/demo/valley_m4.raw --unit dm
"$build/tarvex-gis" stats "$result" --dem gis-demo/images/demo/valley_m4.raw --unit dm
"$build/tarvex-gis" render "$result" gis-demo/flood_map.png --unit dm
"$build/tarvex-gis" profile "$result" gis-demo/profile.svg --unit dm
