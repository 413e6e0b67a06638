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
#include "numbers.h"

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
    std::string shard, whole;
    for (const fs::directory_entry& f : fs::directory_iterator(folder, ec)) {
        const std::string name = f.path().filename().string();
        std::smatch m;
        if (std::regex_match(name, m, shard_name)) {
            shards[*read_whole_number(m[2].str(), 0, 9999999)].insert(*read_whole_number(m[1].str(), 0, 9999999));
            shard = name;
        } else if (name == "index.json") {
            whole = name;
        } else {
            continue;
        }
        files.push_back(f.path().string());
    }
    if (ec) fail("cannot list " + folder + ": " + ec.message());
    if (files.empty()) fail(folder + " holds no index.json nor index-shard-K-of-N.json: it is not the folder of a batch");
    if (!shard.empty() && !whole.empty()) {
        fail(folder + " holds both index.json, the index of a whole batch, and " + shard +
             ", the index of a shard: they come from two runs of the batch; move away the one not to merge");
    }
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

// A row that has not run yet leaves its reach out of the merge: the batch is not done.
void check_ran(const Found& f) {
    if (f.entry.status != "pending") return;
    fail("row " + std::to_string(f.entry.row) + " (" + f.entry.name + ") of " + f.index +
         " has not run: its batch was stopped before it, or is still running; run the batch to its end, then merge");
}

// Every entry of the folders' indexes, in the manifest's order; fails on a row or a name given
// twice, and on a row that has not run.
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
        check_ran(f);
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

// The path with links, dots and a trailing slash resolved, as far as it exists.
fs::path resolved(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::weakly_canonical(fs::absolute(path, ec), ec);
    return p.filename().empty() ? p.parent_path() : p;
}

// OUT inside a batch folder (or OUT that folder) would put the merge's files among the reaches
// and indexes it reads, or over them.
void check_out_apart(const std::string& out, const std::vector<std::string>& folders) {
    const fs::path o = resolved(out);
    for (const std::string& folder : folders) {
        const fs::path f = resolved(folder);
        if (std::mismatch(f.begin(), f.end(), o.begin(), o.end()).first != f.end()) continue;
        fail("the output folder " + out + (o == f ? " is" : " lies in") + " the batch folder " + folder +
             " the merge reads: choose an --out outside it");
    }
}

// The merge replaces its own outputs only: OUT/index.json must be a batch's or a merge's index,
// and OUT/floods.gpkg stand beside one.
void check_outputs(const std::string& index, const std::string& floods, bool overwrite) {
    check_replaceable_index(index, "a merge");
    std::error_code ec;
    if (fs::exists(fs::symlink_status(floods, ec)) && !fs::exists(fs::symlink_status(index, ec))) {
        fail(floods + " stands without the index.json of a merge beside it, and a merge replaces no other file: move "
                      "it away or choose another --out");
    }
    check_new(index, overwrite);
    check_new(floods, overwrite);
}

}  // namespace

int merge_command(const std::vector<std::string>& folders, const std::string& out, bool overwrite) {
    check_out_apart(out, folders);
    const std::vector<Found> found = gather(folders);
    const std::string index = out + "/index.json", floods = out + "/floods.gpkg";
    check_outputs(index, floods, overwrite);
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
