// The index of a batch: what became of each row of the manifest it ran, written as JSON by
// the batch (one file per shard) and read back by the merge; and the folder both write in.
#ifndef TARVEX_GIS_BATCH_INDEX_H
#define TARVEX_GIS_BATCH_INDEX_H

#include <string>
#include <vector>

// One level of a reach's library: its folder (layer_<thickness>) and its figures.
struct IndexLevel {
    std::string folder;
    double flooded_area_m2 = 0, volume_m3 = 0;
};

struct IndexEntry {
    int row = 0;  // the manifest's row, from 0
    std::string name;
    // "done", "skipped" or "failed"; "pending" while it has not run yet in the batch writing
    // the index (a batch that was stopped, or is still running, leaves such rows).
    std::string status;
    std::string reason;  // when failed
    std::vector<IndexLevel> levels;
};

// The levels of the library whose library.json is `path`; fails when it cannot be read.
std::vector<IndexLevel> read_library_levels(const std::string& path);

std::string index_json(const std::vector<IndexEntry>& entries);

// The entries of an index file; fails when it is not one (an entry with a name that is not
// a folder name, or a level folder that is not layer_<thickness>, counts as not one: the
// merge opens the files they name).
std::vector<IndexEntry> read_index(const std::string& path);

// Fails unless `path` is free or holds the index of a batch (or of a merge, which is one too):
// `writer` ("a batch", "a merge") replaces nothing else there.
void check_replaceable_index(const std::string& path, const std::string& writer);

// Makes the folder `path` (and those above it) unless it is there; fails when it cannot.
void make_output_folder(const std::string& path);

#endif
