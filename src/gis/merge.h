// tarvex-gis merge: the outputs of a batch's shards joined: one index of every reach in the
// manifest's order, and one GeoPackage of every reach's flood at each level.
#ifndef TARVEX_GIS_MERGE_H
#define TARVEX_GIS_MERGE_H

#include <string>
#include <vector>

// Reads the index files of `folders` (each a batch's --out) and writes OUT/index.json and
// OUT/floods.gpkg, both or neither; fails on shards missing, rows given twice or not run yet, a
// folder holding both a whole batch's index and a shard's, OUT inside one of `folders`, and
// anything at OUT's names but a merge's own outputs.
int merge_command(const std::vector<std::string>& folders, const std::string& out, bool overwrite);

#endif
