// The manifest of a batch: a CSV file of one reach a row, under a header row naming the
// columns (the flood command's options without their dashes). Every shard of a batch reads
// the same manifest, so a manifest that cannot be read the same way by all of them (a bad
// header, a row of the wrong length, a bad or repeated name) is refused whole, before any
// reach runs.
#ifndef TARVEX_GIS_MANIFEST_H
#define TARVEX_GIS_MANIFEST_H

#include <map>
#include <string>
#include <vector>

struct ManifestRow {
    int row = 0;   // from 0, in the order of the file (blank lines not counted)
    int line = 0;  // of the file, from 1, for messages
    std::string name;
    std::map<std::string, std::string> cells;  // by column; empty cells are left out
};

// The columns a manifest may hold.
const std::vector<std::string>& manifest_columns();

// A reach's name is a folder name: letters, digits, '_' and '-', 1 to 100 of them.
bool valid_reach_name(const std::string& name);

// The rows of the manifest file; fails saying what is wrong and where.
std::vector<ManifestRow> read_manifest(const std::string& path);

// The rows of a manifest's text (`path` names it in messages).
std::vector<ManifestRow> parse_manifest(const std::string& text, const std::string& path);

#endif
