#include "batch.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <cstdio>
#include <filesystem>
#include <new>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "batch_index.h"
#include "commands.h"
#include "flood.h"
#include "flood_setup.h"
#include "gis_io.h"
#include "manifest.h"
#include "numbers.h"
#include "outputs.h"
#include "stop.h"

namespace fs = std::filesystem;

namespace {

struct Batch {
    std::string manifest_folder, out;
    std::string jobs;       // --jobs as given: runs at once over the whole batch ("": the cores)
    int row_jobs = 0;       // rows at once
    std::string level_jobs;  // each row's levels at once
    int shard = 0, shards = 1;
    bool sharded = false, redo = false;
};

void read_shard(const std::string& text, Batch& b) {
    const std::size_t slash = text.find('/');
    const std::optional<long long> k = read_whole_number(text.substr(0, slash), 0, 999999);
    const std::optional<long long> n =
        slash == std::string::npos ? std::nullopt : read_whole_number(text.substr(slash + 1), 1, 1000000);
    if (!k || !n || *k >= *n) fail("--shard needs K/N with N from 1 and K from 0 to N-1, not '" + text + "'");
    b.shard = static_cast<int>(*k);
    b.shards = static_cast<int>(*n);
    b.sharded = true;
}

Batch batch_of(const std::string& manifest, const OptionValues& options) {
    Batch b;
    b.manifest_folder = fs::path(manifest).parent_path().string();
    b.out = options.text("--out");
    b.redo = options.given("--redo");
    b.jobs = options.text("--jobs");  // checked already, before any row runs
    if (options.given("--shard")) read_shard(options.text("--shard"), b);
    return b;
}

// A path of the manifest: relative ones are taken from the manifest's folder.
std::string from_manifest(const Batch& b, const std::string& path) {
    if (b.manifest_folder.empty() || fs::path(path).is_absolute()) return path;
    return (fs::path(b.manifest_folder) / path).string();
}

// The value a cell gives its option, checked as the flood command checks it: a switch is given
// by "yes"; a failure names the cell's line and column.
std::string option_of_cell(const Option& o, const std::string& column, const std::string& cell, const ManifestRow& row,
                           const Batch& b) {
    const std::string where = "line " + std::to_string(row.line) + ", column " + column + ": ";
    if (o.type == OptionType::flag) {
        if (cell != "yes") fail(where + o.name + " is a switch (yes in a manifest), not '" + cell + "'");
        return "";
    }
    try {
        check_value(o, cell);
    } catch (const Stop& stop) {
        throw Stop(where + stop.what());
    }
    return o.type == OptionType::path ? from_manifest(b, cell) : cell;
}

// Whether a row makes a library (it gives layers), else the flood of a discharge.
bool library_row(const ManifestRow& row) { return row.cells.count("layers") != 0; }

// The flood options of a row: its cells as options, paths from the manifest's folder. A row's
// discharge is its flood's --discharge, or, with layers, its library's --discharges.
OptionValues flood_options_of(const ManifestRow& row, const Batch& b) {
    for (const char* needed : {"dem", "river"}) {
        if (!row.cells.count(needed)) fail(std::string("the row gives no ") + needed);
    }
    if (!library_row(row) && !row.cells.count("discharge")) fail("the row gives no layers");
    std::map<std::string, std::string> o;
    for (const Option& option : flood_declaration().options) {
        const auto cell = row.cells.find(option.column_name());
        if (!option.column || cell == row.cells.end()) continue;
        const bool discharges = option.name == "--discharge" && library_row(row);
        const Option& as = discharges ? *flood_declaration().find("--discharges") : option;
        o[as.name] = option_of_cell(as, cell->first, cell->second, row, b);
    }
    if (!b.level_jobs.empty()) o["--jobs"] = b.level_jobs;
    if (b.redo) o["--overwrite"] = "";
    o["--out"] = b.out + "/" + row.name;
    return OptionValues(flood_declaration(), o);
}

// Runs one row (or skips it when its library is complete already) and says what became of it.
IndexEntry run_row(const ManifestRow& row, const Batch& b) {
    IndexEntry e{row.row, row.name, "done", "", {}};
    // What a complete row leaves: its library's figures, or its flood's.
    const std::string done = b.out + "/" + row.name + (library_row(row) ? "/library.json" : "/stats.json");
    try {
        std::error_code ec;
        if (!b.redo && fs::is_regular_file(done, ec)) {
            e.status = "skipped";
        } else {
            flood_command(flood_options_of(row, b));
        }
        if (library_row(row)) e.levels = read_library_levels(done);
    } catch (const Stop& stop) {
        e.reason = stop.what();
    } catch (const std::bad_alloc&) {
        e.reason = "not enough memory";
    } catch (const std::exception& error) {
        e.reason = error.what();
    }
    if (!e.reason.empty()) e.status = "failed", e.levels.clear();
    return e;
}

std::string index_path(const Batch& b) {
    if (!b.sharded) return b.out + "/index.json";
    return b.out + "/index-shard-" + std::to_string(b.shard) + "-of-" + std::to_string(b.shards) + ".json";
}

// Replaces the index in one step: a reader, or a batch stopped at any moment, finds the
// previous index whole or this one.
void write_index(const Batch& b, const std::vector<IndexEntry>& entries) {
    GisOutputs out;
    out.write_text(index_path(b), index_json(entries));
    out.commit();
}

// The rows of the manifest that are the batch's shard.
std::vector<ManifestRow> shard_rows(std::vector<ManifestRow> rows, const Batch& b) {
    rows.erase(std::remove_if(rows.begin(), rows.end(), [&b](const ManifestRow& r) { return r.row % b.shards != b.shard; }),
               rows.end());
    return rows;
}

// What became of a row, as it ends.
void say(const IndexEntry& e) {
    std::printf("tarvex-gis batch: row %d, %s: %s\n", e.row, e.name.c_str(), e.status.c_str());
    if (e.status == "failed") std::fprintf(stderr, "tarvex-gis: row %d, %s failed: %s\n", e.row, e.name.c_str(), e.reason.c_str());
    std::fflush(stdout);
}

}  // namespace

// How the runs at once are shared: as many rows at once as there are runs, and the runs left over
// to each row's levels. Rows that all name one mosaic each read their own window of it.
void share_jobs(Batch& b, std::size_t rows) {
    const long long cores = std::max(1u, std::thread::hardware_concurrency());
    const long long runs = b.jobs.empty() ? cores : read_whole_number(b.jobs, 1, 1024).value_or(1);
    b.row_jobs = static_cast<int>(std::max<long long>(1, std::min<long long>(runs, static_cast<long long>(rows))));
    const long long per_row = std::max<long long>(1, runs / b.row_jobs);
    // Without --jobs a lone row keeps its library's own choice, by the cores and the memory.
    b.level_jobs = b.jobs.empty() && b.row_jobs == 1 ? "" : std::to_string(per_row);
}

// Whether a row failed for the memory the rows beside it held.
bool short_of_memory(const IndexEntry& e) { return e.status == "failed" && e.reason.find("not enough memory") != std::string::npos; }

// Runs the rows, `b.row_jobs` at once, each ending as it is written in the index and told; then
// once more, alone, the rows that ran short of memory beside others.
void run_rows(const Batch& b, const std::vector<ManifestRow>& rows, std::vector<IndexEntry>& entries) {
    std::mutex ended;
    auto end_row = [&](std::size_t k, IndexEntry e) {
        const std::lock_guard<std::mutex> held(ended);
        entries[k] = std::move(e);
        write_index(b, entries);
        if (b.row_jobs == 1 || !short_of_memory(entries[k])) say(entries[k]);
    };
    std::atomic<std::size_t> taken{0};
    std::exception_ptr failure;  // the index could not be written: the batch stops
    auto worker = [&] {
        try {
            for (std::size_t k = taken++; k < rows.size() && !failure; k = taken++) end_row(k, run_row(rows[k], b));
        } catch (...) {
            const std::lock_guard<std::mutex> held(ended);
            if (!failure) failure = std::current_exception();
        }
    };
    std::vector<std::thread> threads;
    try {
        for (int k = 1; k < b.row_jobs; ++k) threads.emplace_back(worker);
    } catch (const std::system_error&) {
        // Fewer rows at once: the workers started, this one among them, take every row.
    }
    worker();
    for (std::thread& t : threads) t.join();
    if (failure) std::rethrow_exception(failure);
    if (b.row_jobs == 1) return;
    Batch alone = b;
    alone.row_jobs = 1;
    alone.level_jobs = b.jobs;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        if (short_of_memory(entries[k])) end_row(k, run_row(rows[k], alone));
    }
}

int batch_command(const std::string& manifest, const OptionValues& options) {
    Batch b = batch_of(manifest, options);
    const std::vector<ManifestRow> rows = shard_rows(read_manifest(manifest), b);
    share_jobs(b, rows.size());
    check_replaceable_index(index_path(b), "a batch");
    make_output_folder(b.out);
    // The index lists every row of the shard, pending until it has run in this batch, and is
    // rewritten as each row ends: a row whose folder may be being replaced never shows the
    // figures of floods that are no longer there, whenever the batch is stopped.
    std::vector<IndexEntry> entries;
    for (const ManifestRow& row : rows) entries.push_back(IndexEntry{row.row, row.name, "pending", "", {}});
    write_index(b, entries);
    run_rows(b, rows, entries);
    int failed = 0, skipped = 0;
    for (const IndexEntry& e : entries) {
        failed += e.status == "failed";
        skipped += e.status == "skipped";
    }
    std::printf("tarvex-gis batch: %zu rows: %zu done, %d skipped, %d failed; the index is %s\n", entries.size(),
                entries.size() - failed - skipped, skipped, failed, index_path(b).c_str());
    return failed > 0 ? 1 : 0;
}
