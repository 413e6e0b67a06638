#!/usr/bin/env bash
# The pictures of docs/flood-method.md: a flood by the default rules on a generated valley where
# a river bends round a U over a bumpy bed (a weir halfway), drawn by tarvex-gis itself.
# Usage: tools/flood_method_pictures.sh [BUILD_DIR] (default: build); works in ./flood-method
# and copies map.png and profile.svg into docs/ as flood-method-map.png, flood-method-profile.svg.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
rm -rf flood-method && mkdir -p flood-method && cd flood-method

# 60 lines x 80 columns of 10 m in UTM zone 31 N: the channel along a U (east along line 15
# from column 20, south along column 65, west along line 45 to column 10), its bed falling from
# 95 to 92 m with a weir of 2.5 m at the bend's foot; a floodplain rising away from the channel
# from 0.8 to 1.4 m above the nearest bed, 0.2 m a cell; high ground at 100 m beyond 20 cells.
python3 - <<'PY'
import math
lines, cols = 60, 80
path = [(15, j) for j in range(20, 66)] + [(i, 65) for i in range(16, 46)] + [(45, j) for j in range(64, 9, -1)]
bed = [95.0 - 3.0 * k / (len(path) - 1) for k in range(len(path))]
ground = [[100.0] * cols for _ in range(lines)]
for i in range(lines):
    for j in range(cols):
        d, k = min((math.hypot(i - a, j - b), k) for k, (a, b) in enumerate(path))
        if d <= 20:
            ground[i][j] = round(bed[k] + 0.8 + 0.3 * (1 + math.sin(i / 3.0) * math.cos(j / 4.0)) + 0.2 * d, 2)
for k, (i, j) in enumerate(path):
    ground[i][j] = round(bed[k], 2)
i, j = path[80]
ground[i][j] += 2.5  # the weir
with open("valley.asc", "w") as f:
    f.write(f"ncols {cols}\nnrows {lines}\nxllcorner 500000\nyllcorner {4800000 - lines * 10}\ncellsize 10\n")
    for row in ground:
        f.write(" ".join(f"{v:.2f}" for v in row) + "\n")
x = lambda j: 500000 + (j + 0.5) * 10
y = lambda i: 4800000 - (i + 0.5) * 10
corners = [(15, 20), (15, 65), (45, 65), (45, 10)]
coords = ",".join(f"[{x(j)},{y(i)}]" for i, j in corners)
with open("river.geojson", "w") as f:
    f.write('{"type":"FeatureCollection","crs":{"type":"name","properties":{"name":"urn:ogc:def:crs:EPSG::32631"}},'
            '"features":[{"type":"Feature","properties":{},"geometry":{"type":"LineString","coordinates":[' + coords + ']}}]}')
PY
gdal_translate -q -ot Float32 -a_srs EPSG:32631 valley.asc valley.tif
"$build/tarvex-gis" flood --dem valley.tif --river river.geojson --width 30 --layer 1.5 --unit cm --out flood \
  --from 500205,4799845 --to 500105,4799545
cp flood/map.png "$here/docs/flood-method-map.png"
cp flood/profile.svg "$here/docs/flood-method-profile.svg"
