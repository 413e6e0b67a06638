// The GeoPackage of a merged batch: one layer per level (layer_<thickness>, in the order of
// the thickness) holding the flood polygons of every reach at that level, with its name.
#ifndef TARVEX_GIS_MERGE_FLOODS_H
#define TARVEX_GIS_MERGE_FLOODS_H

#include <string>
#include <vector>

#include "batch_index.h"
#include "outputs.h"

// A reach to merge: its name, its folder and its levels.
struct MergedReach {
    std::string name, folder;
    std::vector<IndexLevel> levels;
};

// Writes `path` (through `out`, committed by the caller) from each reach's
// <folder>/layer_<t>/extent.gpkg; fails when one cannot be read or lies in another coordinate
// system than the reaches before it at that level.
void write_merged_floods(GisOutputs& out, const std::string& path, const std::vector<MergedReach>& reaches);

#endif
