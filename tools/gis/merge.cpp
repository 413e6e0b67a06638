#include "merge.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <set>

#include "batch_index.h"
#include "gis_io.h"
#include "merge_floods.h"

namespace fs = std::filesystem;

namespace {

// An entry of an index, with the batch folder that holds its reach and the file it came from.
struct Found {
    IndexEntry entry;
    std::string folder, index;
};

// The shards found, by their count N: the K of each.
using Shards = std::map<long, std::set<long>>;

// The index files of a batch folder (index.json, index-shard-K-of-N.json), by name.
std::vector<std::string> index_files(const std::string& folder, Shards& shards) {
    static const std::regex shard_name("index-shard-([0-9]{1,7})-of-([0-9]{1,7})\\.json");
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) fail(folder + " is not a folder of a batch");
    std::vector<std::string> files;
    for (const fs::directory_entry& f : fs::directory_iterator(folder, ec)) {
        const std::string name = f.path().filename().string();
        std::smatch m;
        if (std::regex_match(name, m, shard_name)) {
            shards[std::stol(m[2].str())].insert(std::stol(m[1].str()));
        } else if (name != "index.json") {
            continue;
        }
        files.push_back(f.path().string());
    }
    if (ec) fail("cannot list " + folder + ": " + ec.message());
    if (files.empty()) fail(folder + " holds no index.json nor index-shard-K-of-N.json: it is not the folder of a batch");
    std::sort(files.begin(), files.end());
    return files;
}

void check_shards(const Shards& shards) {
    for (const auto& [n, ks] : shards) {
        for (long k = 0; k < n; ++k) {
            if (ks.count(k) == 0) {
                const std::string shard = std::to_string(k) + "-of-" + std::to_string(n);
                fail("shard " + std::to_string(k) + " of " + std::to_string(n) + " is missing: give the folder of its index-shard-" +
                     shard + ".json too");
            }
        }
    }
}

// Every entry of the folders' indexes, in the manifest's order; fails on a row or a name given twice.
std::vector<Found> gather(const std::vector<std::string>& folders) {
    Shards shards;
    std::vector<Found> found;
    for (const std::string& folder : folders) {
        for (const std::string& index : index_files(folder, shards)) {
            for (IndexEntry& e : read_index(index)) found.push_back(Found{std::move(e), folder, index});
        }
    }
    check_shards(shards);
    std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.entry.row < b.entry.row; });
    std::map<std::string, const Found*> by_name;
    for (std::size_t k = 0; k < found.size(); ++k) {
        const Found& f = found[k];
        const Found* twin = k > 0 && found[k - 1].entry.row == f.entry.row ? &found[k - 1] : nullptr;
        const auto [at, fresh] = by_name.emplace(f.entry.name, &f);
        if (!fresh) twin = at->second;
        if (twin != nullptr) {
            fail("row " + std::to_string(f.entry.row) + " (" + f.entry.name + ") is in both " + twin->index + " and " +
                 f.index + ": give each shard once");
        }
    }
    return found;
}

}  // namespace

int merge_command(const std::vector<std::string>& folders, const std::string& out, bool overwrite) {
    const std::vector<Found> found = gather(folders);
    const std::string index = out + "/index.json", floods = out + "/floods.gpkg";
    check_new(index, overwrite);
    check_new(floods, overwrite);
    std::vector<IndexEntry> entries;
    std::vector<MergedReach> reaches;
    for (const Found& f : found) {
        entries.push_back(f.entry);
        if (f.entry.status == "failed") {
            note("row " + std::to_string(f.entry.row) + ", " + f.entry.name + " failed in its batch: " + f.entry.reason);
        } else {
            reaches.push_back(MergedReach{f.entry.name, f.folder + "/" + f.entry.name, f.entry.levels});
        }
    }
    make_output_folder(out);
    GisOutputs outputs;
    write_merged_floods(outputs, floods, reaches);
    outputs.write_text(index, index_json(entries));
    outputs.commit();
    std::printf("tarvex-gis merge: %zu reaches (%zu with their floods, %zu failed) into %s and %s\n", entries.size(),
                reaches.size(), entries.size() - reaches.size(), index.c_str(), floods.c_str());
    return 0;
}
