#!/usr/bin/env bash
# The README's worked example on a real DEM: the elevation of Luxembourg from Debian's package
# r-cran-terra (downloaded and unpacked, not installed), reprojected to UTM zone 32 N, and the
# Alzette between Luxembourg and Ettelbruck flooded in one command; then its library with the
# rating curve, the flood of a discharge, and the library scored against an independent extent.
# Usage: tools/real_dem_example.sh [BUILD_DIR] (default: build); works in ./lux-flood.
# Exits 77 when the package cannot be downloaded (no network to Debian's archive).
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
rm -rf lux-flood && mkdir -p lux-flood && cd lux-flood

# 1. The DEM: Debian's r-cran-terra ships it as ex/elev.tif (WGS 84, 30 arc-seconds).
apt-get download r-cran-terra > /dev/null 2>&1 || { echo "cannot download r-cran-terra"; exit 77; }
dpkg-deb -x r-cran-terra_*.deb terra
gdalwarp -q -t_srs EPSG:32632 -tr 500 500 -r bilinear terra/usr/lib/R/site-library/terra/ex/elev.tif lux.tif

# 2. One command: the centreline in longitude and latitude, a 1.5 km wide river, water 12 m
#    above the river bed, by the sound rules, cut at the reach's ends.
"$build/tarvex-gis" flood --dem lux.tif --river "$here/docs/examples/alzette.geojson" --width 1500 \
  --layer 12 --unit cm --out alzette
test -f alzette/profile.csv && test -f alzette/run/scenario.json

# 3. The console program's rules on the straight surface, as earlier versions flooded: the run
#    replays through the console program, byte for byte, in its own folder.
"$build/tarvex-gis" flood --dem lux.tif --river "$here/docs/examples/alzette.geojson" --width 1500 \
  --layer 12 --unit cm --rules described --surface straight --beyond-ends --out alzette-described
cp -r alzette-described/run/images/reach flood-results
TARVEX_IMAGES=alzette-described/run/images "$build/tarvex" < alzette-described/run/answers.txt > replay.txt
for f in flood-results/flood_tarvex*; do cmp "$f" "alzette-described/run/images/reach/$(basename "$f")"; done
echo "replayed: the five results are byte for byte those of the flood"

# 4. A library of the reach with its rating curve and the map of 5000 m3/s, the flood of that
#    discharge on its own, and the library scored against an extent made independently: every
#    cell below 230 m (a flat-level fill).
"$build/tarvex-gis" flood --dem lux.tif --river "$here/docs/examples/alzette.geojson" --width 1500 \
  --layers 0:20:4 --discharges 5000 --unit cm --out alzette-library
"$build/tarvex-gis" flood --dem lux.tif --river "$here/docs/examples/alzette.geojson" --width 1500 \
  --discharge 5000 --unit cm --out alzette-q
gdal_calc.py --quiet -A lux.tif --outfile=observed.tif --calc="A<230" --type=Byte
"$build/tarvex-gis" evaluate --flood alzette-library --benchmark observed.tif --out alzette-evaluation | tee evaluation.txt
test -f alzette-library/rating.csv && test -f alzette-library/rating.svg && test -f alzette-q/stats.json
test -f alzette-evaluation/layer_8/agreement.png && grep -q "best        layer 8 m" evaluation.txt
# The README shows what these print: every line of the curve and of the scores is there.
while IFS= read -r line; do grep -qF -- "$line" "$here/README.md" || { echo "not in the README: $line"; exit 1; }
done < <(cat alzette-library/rating.csv evaluation.txt)
echo "rated, mapped by discharge and evaluated as the README shows"
