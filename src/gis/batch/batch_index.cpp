#include "batch_index.h"

#include <cpl_json.h>

#include <filesystem>

#include "gis_io.h"
#include "json_files.h"
#include "numbers.h"
#include "manifest.h"
#include "stop.h"
#include "text.h"

namespace {

// A level's folder is layer_ and the thickness as a number: nothing that leaves the reach.
bool valid_level_folder(const std::string& folder) {
    const std::string prefix = "layer_";
    if (folder.compare(0, prefix.size(), prefix) != 0 || folder.size() == prefix.size()) return false;
    return read_number(folder.substr(prefix.size())).has_value() &&
           folder.find_first_not_of("0123456789.-+e", prefix.size()) == std::string::npos;
}

IndexLevel level_of(const CPLJSONObject& o, const std::string& path) {
    IndexLevel l;
    l.folder = o.GetString("folder");
    const CPLJSONObject area = o.GetObj("flooded_area_m2"), volume = o.GetObj("volume_m3");
    if (!valid_level_folder(l.folder) || !area.IsValid() || !volume.IsValid()) {
        fail(path + " has a level without its folder (layer_<thickness>), area or volume");
    }
    l.flooded_area_m2 = area.ToDouble();
    l.volume_m3 = volume.ToDouble();
    return l;
}

std::vector<IndexLevel> levels_of(const CPLJSONArray& levels, const std::string& path) {
    std::vector<IndexLevel> out;
    for (int k = 0; k < levels.Size(); ++k) out.push_back(level_of(levels[k], path));
    return out;
}

// Rows done or skipped have their levels' figures; failed and pending ones none.
bool has_levels(const IndexEntry& e) { return e.status == "done" || e.status == "skipped"; }

IndexEntry entry_of(const CPLJSONObject& o, const std::string& path) {
    IndexEntry e;
    e.row = o.GetInteger("row", -1);
    e.name = o.GetString("name");
    e.status = o.GetString("status");
    e.reason = o.GetString("reason");
    const bool known = e.status == "done" || e.status == "skipped" || e.status == "failed" || e.status == "pending";
    if (e.row < 0 || !valid_reach_name(e.name) || !known) {
        fail(path + " has an entry without its row, its name (a folder name) or its status");
    }
    if (has_levels(e)) e.levels = levels_of(o.GetArray("levels"), path);
    return e;
}

// True when `path` is a file that reads as the index of a batch (a link to one counts).
bool is_batch_index(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    try {
        read_index(path);
        return true;
    } catch (const Stop&) {
        return false;
    }
}

}  // namespace

std::vector<IndexLevel> read_library_levels(const std::string& path) {
    const CPLJSONArray levels = read_json(path).GetArray("levels");
    if (!levels.IsValid()) fail(path + " lists no levels");
    return levels_of(levels, path);
}

std::string index_json(const std::vector<IndexEntry>& entries) {
    CPLJSONArray reaches;
    for (const IndexEntry& e : entries) {
        CPLJSONObject reach;
        reach.Add("row", e.row);
        reach.Add("name", e.name);
        reach.Add("status", e.status);
        if (e.status == "failed") reach.Add("reason", e.reason);
        if (has_levels(e)) {
            CPLJSONArray levels;
            for (const IndexLevel& v : e.levels) {
                CPLJSONObject level;
                level.Add("layer_m", read_number(v.folder.substr(6)).value_or(0));
                level.Add("folder", v.folder);
                level.Add("flooded_area_m2", rounded(v.flooded_area_m2, 2));
                level.Add("volume_m3", rounded(v.volume_m3, 3));
                levels.Add(level);
            }
            reach.Add("levels", levels);
        }
        reaches.Add(reach);
    }
    CPLJSONObject root;
    root.Add("reaches", reaches);
    return json_document(root);
}

std::vector<IndexEntry> read_index(const std::string& path) {
    const CPLJSONArray reaches = read_json(path).GetArray("reaches");
    if (!reaches.IsValid()) fail(path + " is not the index of a batch: it lists no reaches");
    std::vector<IndexEntry> entries;
    for (int k = 0; k < reaches.Size(); ++k) entries.push_back(entry_of(reaches[k], path));
    return entries;
}

void check_replaceable_index(const std::string& path, const std::string& writer) {
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec)) || is_batch_index(path)) return;
    fail(path + " is not the index of a batch, and " + writer + " replaces no other file: move it away or choose another --out");
}

void make_output_folder(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (ec || !std::filesystem::is_directory(path, ec)) {
        fail("cannot make the folder " + path + (ec ? ": " + ec.message() : ": something else stands there"));
    }
}
