// tarvex-gis batch and merge on a small generated valley: a channel three cells wide along
// line 6 of a 12 x 30 grid of 10 m pixels (bed at 95 m, columns 2 to 27), a floodplain at 96 m
// (lines 3 to 9, columns 3 to 26), high ground at 100 m elsewhere; the centreline runs along
// the channel from column 3 to column 26.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <thread>

#include "gis_support.h"
#include "manifest.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

constexpr int kRows = 12, kColumns = 30;

std::vector<double> valley() {
    std::vector<double> m;
    for (int i = 0; i < kRows; ++i) {
        for (int j = 0; j < kColumns; ++j) {
            const bool channel = i >= 5 && i <= 7 && j >= 2 && j <= 27;
            const bool plain = i >= 3 && i <= 9 && j >= 3 && j <= 26;
            m.push_back(channel ? 95 : plain ? 96 : 100);
        }
    }
    return m;
}

// Three reaches of the valley, the second with a centreline file that is not there (its name
// holds a quote, written "" in its quoted cell); the first gives its empty `from` quoted.
const char* const kManifest =
    "name,dem,river,width,from,layers,unit\n"
    "upper,dem.tif,river.geojson,30,\"\",0:2:1,cm\n"
    "broken,dem.tif,\"miss\"\"ing.geojson\",30,,0:2:1,cm\n"
    "\"lower\",dem.tif,river.geojson,20,\"500075,4799935\",1:2:1,mm\n";

// The inputs in inputs/; each batch runs in a folder of its own (as on a machine of its own)
// beside it, with the manifest ../inputs/manifest.csv and --out lib.
struct Batch : ::testing::Test {
    TempDir dir;
    void SetUp() override {
        fs::create_directories(dir / "inputs");
        make_geotiff(dir / "inputs/dem.tif", GDT_Float32, valley(), nullptr, kRows, kColumns);
        make_vector(dir / "inputs/river.geojson", wkbLineString, {"LINESTRING (500035 4799935,500265 4799935)"});
        manifest(kManifest);
    }
    void manifest(const std::string& text) { write_file(dir / "inputs/manifest.csv", text); }
    GisProcess start(const std::string& machine, const std::vector<std::string>& extra = {}) {
        fs::create_directories(dir / machine);
        std::vector<std::string> args = {"batch", "../inputs/manifest.csv", "--out", "lib", "--jobs", "2"};
        args.insert(args.end(), extra.begin(), extra.end());
        return GisProcess(args, dir / machine);
    }
    RunResult batch(const std::string& machine, const std::vector<std::string>& extra = {}) {
        return start(machine, extra).wait();
    }
    std::string index(const std::string& machine) const { return read_file(dir / (machine + "/lib/index.json")); }
};

// True when the two folders hold the same files, byte for byte.
bool same_folders(const std::string& a, const std::string& b, const std::string& scratch) {
    fs::copy(a, scratch, fs::copy_options::recursive);
    const Snapshot first(scratch);
    fs::remove_all(scratch);
    fs::copy(b, scratch, fs::copy_options::recursive);
    const bool same = first.unchanged();
    fs::remove_all(scratch);
    return same;
}

// The reaches of the features of a layer of a GeoPackage, in order.
std::vector<std::string> reaches_in(const std::string& gpkg, const std::string& layer) {
    GDALDatasetH ds = GDALOpenEx(gpkg.c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
    if (ds == nullptr) return {"cannot open " + gpkg};
    std::vector<std::string> reaches;
    OGRLayerH l = GDALDatasetGetLayerByName(ds, layer.c_str());
    if (l == nullptr) reaches.push_back("no layer " + layer);
    for (OGRFeatureH f; l != nullptr && (f = OGR_L_GetNextFeature(l)) != nullptr; OGR_F_Destroy(f)) {
        reaches.push_back(OGR_F_GetFieldAsString(f, OGR_F_GetFieldIndex(f, "reach")));
    }
    GDALClose(ds);
    return reaches;
}

// "row name status" for each entry of an index, in order.
std::vector<std::string> entries_of(const std::string& json) {
    const CPLJSONArray reaches = json_member(json, "reaches").ToArray();
    std::vector<std::string> entries;
    for (int k = 0; k < reaches.Size(); ++k) {
        const CPLJSONObject e = reaches[k];
        entries.push_back(std::to_string(e.GetInteger("row")) + " " + e.GetString("name") + " " + e.GetString("status"));
    }
    return entries;
}

// The entry of the index `json` for the reach `name`.
CPLJSONObject entry_of(const std::string& json, const std::string& name) {
    const CPLJSONArray reaches = json_member(json, "reaches").ToArray();
    for (int k = 0; k < reaches.Size(); ++k) {
        if (reaches[k].GetString("name") == name) return reaches[k];
    }
    return CPLJSONObject();
}

// The write end of the FIFO `path`, opened once a process has opened it to read (within a
// minute); -1 when none does.
int writer_of_fifo(const std::string& path) {
    for (int tries = 0; tries < 30000; ++tries) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0 || errno != ENXIO) return fd;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return -1;
}

// A DEM of the valley's grid whose cells come from `source`, read only when they are needed.
std::string vrt_of(const std::string& source) {
    return "<VRTDataset rasterXSize=\"30\" rasterYSize=\"12\"><SRS>EPSG:32631</SRS>"
           "<GeoTransform>500000, 10, 0, 4800000, 0, -10</GeoTransform><VRTRasterBand dataType=\"Float32\" band=\"1\">"
           "<SimpleSource><SourceFilename relativeToVRT=\"1\">" +
           source + "</SourceFilename><SourceBand>1</SourceBand></SimpleSource></VRTRasterBand></VRTDataset>";
}

}  // namespace

TEST_F(Batch, TwoShardsRunAtOnceAndMergeIntoWhatOneBatchGives) {
    GisProcess first = start("m0", {"--shard", "0/2"}), second = start("m1", {"--shard", "1/2"});
    const RunResult r0 = first.wait(), r1 = second.wait();
    EXPECT_EQ(r0.status, 0) << r0.err;
    EXPECT_EQ(r1.status, 1) << r1.err;  // the broken reach
    EXPECT_NE(r1.err.find("row 1, broken failed: no such file: ../inputs/miss\"ing.geojson"), std::string::npos) << r1.err;
    EXPECT_EQ(folder_files(dir / "m0/lib"), (std::vector<std::string>{"index-shard-0-of-2.json", "lower", "upper"}));
    EXPECT_EQ(folder_files(dir / "m1/lib"), (std::vector<std::string>{"index-shard-1-of-2.json"}));
    const RunResult whole = batch("m2");
    EXPECT_EQ(whole.status, 1);
    EXPECT_NE(whole.out.find("3 rows: 2 done, 0 skipped, 1 failed"), std::string::npos) << whole.out;

    ASSERT_EQ(gis({"merge", "--out", "sharded", "m0/lib", "m1/lib"}, dir).status, 0);
    const RunResult merged = gis({"merge", "--out", "whole", "m2/lib"}, dir);
    ASSERT_EQ(merged.status, 0) << merged.err;
    EXPECT_NE(merged.err.find("row 1, broken failed in its batch: no such file"), std::string::npos) << merged.err;
    const std::string json = read_file(dir / "whole/index.json");
    EXPECT_EQ(read_file(dir / "sharded/index.json"), json);
    EXPECT_EQ(json, index("m2"));
    EXPECT_EQ(read_file(dir / "sharded/floods.gpkg"), read_file(dir / "whole/floods.gpkg"));
    for (const char* reach : {"upper", "lower"}) {
        EXPECT_TRUE(same_folders(dir / ("m0/lib/" + std::string(reach)), dir / ("m2/lib/" + std::string(reach)),
                                 dir / "scratch"))
            << reach;
    }
    // The rows in the manifest's order, the failure with its reason, the levels with their figures
    // (the plain floods 1 m deep at a 2 m layer: 2 lines each side of the channel, columns 3 to 26).
    EXPECT_EQ(entries_of(json), (std::vector<std::string>{"0 upper done", "1 broken failed", "2 lower done"}));
    EXPECT_EQ(entry_of(json, "broken").GetString("reason").rfind("no such file", 0), 0u) << json;
    const CPLJSONArray upper = entry_of(json, "upper").GetArray("levels");
    ASSERT_EQ(upper.Size(), 3) << json;
    EXPECT_DOUBLE_EQ(upper[2].GetDouble("layer_m"), 2);
    EXPECT_EQ(upper[2].GetString("folder"), "layer_2");
    EXPECT_DOUBLE_EQ(upper[2].GetDouble("flooded_area_m2"), 9600);
    EXPECT_DOUBLE_EQ(upper[2].GetDouble("volume_m3"), 9600);
    EXPECT_DOUBLE_EQ(entry_of(json, "lower").GetArray("levels")[0].GetDouble("layer_m"), 1);  // lower's start at 1
    // Each level's layer holds the polygons of the reaches that have it, in the manifest's order.
    // At a layer of 0 m the water stands on the bed: no cell is wet.
    EXPECT_EQ(reaches_in(dir / "whole/floods.gpkg", "layer_0"), std::vector<std::string>{});
    std::vector<std::string> both = reaches_in(dir / "whole/floods.gpkg", "layer_2");
    EXPECT_TRUE(std::is_sorted(both.begin(), both.end(), std::greater<std::string>())) << both.size();
    both.erase(std::unique(both.begin(), both.end()), both.end());
    EXPECT_EQ(both, (std::vector<std::string>{"upper", "lower"}));
}

TEST_F(Batch, ARunAgainSkipsTheDoneReachesAndRedoRunsThemAgain) {
    ASSERT_EQ(batch("m").status, 1);
    const std::string first = index("m");
    const Snapshot upper(dir / "m/lib/upper");
    const RunResult again = batch("m");
    EXPECT_EQ(again.status, 1);  // the broken reach is tried again, and fails again
    EXPECT_EQ(again.out.find("a library of"), std::string::npos) << again.out;
    EXPECT_NE(again.out.find("3 rows: 0 done, 2 skipped, 1 failed"), std::string::npos) << again.out;
    EXPECT_TRUE(upper.unchanged());
    std::string skipped = first;
    for (std::size_t at; (at = skipped.find("\"done\"")) != std::string::npos;) skipped.replace(at, 6, "\"skipped\"");
    EXPECT_EQ(index("m"), skipped);  // the levels of a skipped reach read back from its library
    const RunResult redo = batch("m", {"--redo"});
    EXPECT_NE(redo.out.find("a library of 3 levels in lib/upper"), std::string::npos) << redo.out;
    EXPECT_EQ(index("m"), first);
    EXPECT_TRUE(upper.unchanged());
}

TEST_F(Batch, AManifestThatCannotBeReadAlikeByEveryShardIsRefusedBeforeAnyReachRuns) {
    const struct {
        std::string manifest;
        std::vector<std::string> options;
        const char* message;
    } cases[] = {
        {"name,dem,river,layers,depth\n", {}, "unknown column 'depth' in the header (the columns are name,dem,"},
        {"dem,river,layers\n", {}, "the header has no column name"},
        {"name,dem,river,layers,dem\n", {}, "the column dem is named twice"},
        {"name,dem,river,layers\na,dem.tif,river.geojson\n", {}, "line 2 has 3 cells where the header names 4"},
        {"name,dem,river,layers\n../a,dem.tif,river.geojson,0:1:1\n", {}, "line 2: the name '../a' is not a folder name"},
        {"name,dem,river,layers\na,x,y,z\n\na,x,y,z\n", {}, "line 4: the name a is taken by line 2 already"},
        {"name,dem,river,layers\na,\"x,y,z\n", {}, "line 2: a quoted cell is never closed"},
        {"name,dem,river,layers\na,dem.tif\0.txt,river.geojson,0:1:1\n"s, {}, "line 2: a cell holds a NUL byte (a manifest is text)"},
        {"name,dem,river,layers\na,dem.tif,\"river\n\0\",0:1:1\n"s, {}, "line 3: a cell holds a NUL byte"},
        {"", {}, "is empty: it needs a header row"},
        {kManifest, {"--shard", "2/2"}, "--shard needs K/N with N from 1 and K from 0 to N-1, not '2/2'"},
        {kManifest, {"--shard", "1"}, "--shard needs K/N"},
        {kManifest, {"--jobs", "0"}, "--jobs needs a whole number from 1 to 1024, not '0'"},
    };
    for (const auto& k : cases) {
        manifest(k.manifest);
        const RunResult r = batch("m", k.options);
        EXPECT_EQ(r.status, 1) << k.message;
        EXPECT_NE(r.err.find(k.message), std::string::npos) << r.err;
        EXPECT_FALSE(file_exists(dir / "m/lib")) << k.message;
    }
}

// Rows that fail before any run: the batch goes on. The merge refuses shards given wrongly,
// and an output it could not call its own, writing nothing, even with --overwrite.
TEST_F(Batch, RowsFailAloneAndAMergeOfWrongShardsOrIntoAnotherOutputIsRefused) {
    manifest("\xEF\xBB\xBFname,dem,river,width,layers,z_unit,rules,beyond_ends\r\n"
             "a,dem.tif,river.geojson,30,,,,\r\n"
             "b,dem.tif,river.geojson,-3,0:1:1,,,\r\n"
             "c,dem.tif,river.geojson,30,0:1:1,m,described,yes\r\n"
             "d,dem.tif,river.geojson,30,0:1:1,yard,,\r\n"
             "e,dem.tif,river.geojson,30,0:1:1,,wild,\r\n"
             "f,dem.tif,river.geojson,30,0:1:1,,,no\r\n");
    GisProcess first = start("m0", {"--shard", "0/2"}), second = start("m1", {"--shard", "1/2"});
    EXPECT_EQ(first.wait().status, 1);
    EXPECT_EQ(second.wait().status, 1);
    const std::string shard0 = read_file(dir / "m0/lib/index-shard-0-of-2.json");
    EXPECT_EQ(entry_of(shard0, "a").GetString("status"), "failed") << shard0;
    EXPECT_EQ(entry_of(shard0, "a").GetString("reason"), "the row gives no layers") << shard0;
    EXPECT_EQ(entry_of(shard0, "c").GetString("status"), "done") << shard0;
    EXPECT_NE(shard0.find("line 6, column rules: --rules is sound or described, not 'wild'"), std::string::npos) << shard0;
    EXPECT_EQ(json_member(read_file(dir / "m0/lib/c/layer_1/stats.json"), "rules").ToString(), "described");
    // The switch a cell gives is replayed as a switch.
    const std::string scenario = read_file(dir / "m0/lib/c/layer_1/run/scenario.json");
    EXPECT_NE(scenario.find("tarvex-gis flood --beyond-ends --dem "), std::string::npos) << scenario;
    const std::string shard1 = read_file(dir / "m1/lib/index-shard-1-of-2.json");
    EXPECT_NE(shard1.find("line 3, column width: --width needs a width above 0 metres, not '-3'"), std::string::npos)
        << shard1;
    EXPECT_NE(shard1.find("line 5, column z_unit: --z-unit is m, ft or us-ft, not 'yard'"), std::string::npos) << shard1;
    EXPECT_NE(shard1.find("line 7, column beyond_ends: --beyond-ends is a switch (yes in a manifest), not 'no'"),
              std::string::npos)
        << shard1;
    fs::create_directories(dir / "both");  // a whole batch's index beside a shard's
    fs::copy(dir / "m0/lib/index-shard-0-of-2.json", dir / "both/index-shard-0-of-2.json");
    fs::copy(dir / "m0/lib/index-shard-0-of-2.json", dir / "both/index.json");
    fs::create_directories(dir / "other");
    write_file(dir / "other/index.json", "{\"type\": \"FeatureCollection\", \"features\": []}");
    fs::create_directories(dir / "loose");
    write_file(dir / "loose/floods.gpkg", "someone's polygons");
    const struct {
        std::vector<std::string> folders;
        const char* message;
        std::string out = "merged";
    } cases[] = {
        {{"m0/lib"}, "shard 1 of 2 is missing: give the folder of its index-shard-1-of-2.json too"},
        {{"m1/lib"}, "shard 0 of 2 is missing: give the folder of its index-shard-0-of-2.json too"},
        {{"m0/lib", "m1/lib", "m0/lib"}, "row 0 (a) is in both m0/lib/index-shard-0-of-2.json and m0/lib/index-shard-0-of-2.json"},
        {{"m0/lib", "inputs"}, "inputs holds no index.json nor index-shard-K-of-N.json"},
        {{"m0/lib", "m1/lib/index-shard-1-of-2.json"}, "m1/lib/index-shard-1-of-2.json is not a folder of a batch"},
        {{"both", "m1/lib"}, "both holds both index.json, the index of a whole batch, and index-shard-0-of-2.json, the index of a shard"},
        {{"m0/lib", "m1/lib"}, "the output folder m1/lib/ is the batch folder m1/lib the merge reads", "m1/lib/"},
        {{"m0/lib", "m1/lib"}, "the output folder m1/../m0/lib/c lies in the batch folder m0/lib the merge reads", "m1/../m0/lib/c"},
        {{"m0/lib", "m1/lib"}, "other/index.json is not the index of a batch, and a merge replaces no other file", "other"},
        {{"m0/lib", "m1/lib"}, "loose/floods.gpkg stands without the index.json of a merge beside it", "loose"},
    };
    for (const auto& k : cases) {
        std::vector<std::string> args = {"merge", "--out", k.out, "--overwrite"};
        args.insert(args.end(), k.folders.begin(), k.folders.end());
        const Snapshot before(dir.path());
        const RunResult r = gis(args, dir);
        EXPECT_EQ(r.status, 1) << k.message;
        EXPECT_NE(r.err.find(k.message), std::string::npos) << r.err;
        EXPECT_TRUE(before.unchanged()) << k.message;
    }
    ASSERT_EQ(gis({"merge", "--out", "merged", "m0/lib", "m1/lib"}, dir).status, 0);
    const RunResult again = gis({"merge", "--out", "merged", "m0/lib", "m1/lib"}, dir);
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("merged/index.json exists already: add --overwrite to replace it"), std::string::npos);
    EXPECT_EQ(gis({"merge", "--out", "merged", "m0/lib", "m1/lib", "--overwrite"}, dir).status, 0);
}

// A shard takes every Nth row, counted without the header, blank lines or the line breaks in
// quoted cells: counting lines would give a machine other rows than the others leave to it.
TEST_F(Batch, ShardsTakeRowsNotLinesOfTheManifest) {
    manifest("name,dem,river,layers\n"
             "a,dem.tif,none.geojson,0:1:1\n"
             "\n"
             "b,dem.tif,none.geojson,0:1:1\n"
             "c,dem.tif,\"no\nne.geojson\",0:1:1\n"
             "d,dem.tif,none.geojson,0:1:1\n");
    const struct {
        const char* shard;
        const char* index;
        std::vector<std::string> entries;
    } cases[] = {
        {"0/3", "index-shard-0-of-3.json", {"0 a failed", "3 d failed"}},
        {"2/3", "index-shard-2-of-3.json", {"2 c failed"}},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(batch("m", {"--shard", k.shard}).status, 1);  // no row has its centreline
        EXPECT_EQ(entries_of(read_file(dir / ("m/lib/" + std::string(k.index)))), k.entries) << k.shard;
    }
}

// A batch rewrites its own index only: anything else at that name stops it before any row runs.
TEST_F(Batch, AnIndexNameHoldingAnythingButABatchIndexIsRefusedBeforeAnyRowRuns) {
    fs::create_directories(dir / "m/lib/index-shard-1-of-2.json");
    write_file(dir / "m/lib/index.json", "{\"type\": \"FeatureCollection\", \"features\": []}");
    const struct {
        std::vector<std::string> options;
        const char* message;
    } cases[] = {
        {{}, "lib/index.json is not the index of a batch, and a batch replaces no other file: move it away"},
        {{"--shard", "1/2"}, "lib/index-shard-1-of-2.json is not the index of a batch"},
    };
    for (const auto& k : cases) {
        const Snapshot before(dir / "m");
        const RunResult r = batch("m", k.options);
        EXPECT_EQ(r.status, 1) << k.message;
        EXPECT_NE(r.err.find(k.message), std::string::npos) << r.err;
        EXPECT_TRUE(before.unchanged()) << k.message;
    }
}

// A --redo stopped while a row runs: the index lists the rows run with their new figures and
// the others as pending, never the figures of floods replaced since; a merge refuses it.
TEST_F(Batch, ARedoStoppedMidwayLeavesAnIndexTrueToTheFloodsThere) {
    manifest("name,dem,river,width,layers,unit\n"
             "upper,dem.tif,river.geojson,30,0:2:1,cm\n"
             "lower,dem.tif,river.geojson,20,1:2:1,mm\n");
    ASSERT_EQ(batch("m").status, 0);
    // upper's library now ends a level lower; the new row 1 waits for the cells of its DEM.
    ASSERT_EQ(::mkfifo((dir / "inputs/stuck.tif").c_str(), 0600), 0);
    write_file(dir / "inputs/stuck.vrt", vrt_of("stuck.tif"));
    manifest("name,dem,river,width,layers,unit\n"
             "upper,dem.tif,river.geojson,30,0:1:1,cm\n"
             "stuck,stuck.vrt,river.geojson,30,0:1:1,cm\n"
             "lower,dem.tif,river.geojson,20,1:2:1,mm\n");
    GisProcess redo = start("m", {"--redo", "--jobs", "1"});  // the rows in their order, one at a time
    const int fifo = writer_of_fifo(dir / "inputs/stuck.tif");  // held open: the read waits
    EXPECT_GE(fifo, 0);
    ::kill(redo.pid(), SIGTERM);
    EXPECT_EQ(redo.wait().status, 128 + SIGTERM);
    ::close(fifo);
    const std::string json = index("m");
    EXPECT_EQ(entries_of(json), (std::vector<std::string>{"0 upper done", "1 stuck pending", "2 lower pending"}));
    EXPECT_NE(json.find("\"folder\":\"layer_1\""), std::string::npos) << json;
    EXPECT_EQ(json.find("\"folder\":\"layer_2\""), std::string::npos) << json;  // upper's old level, lower's
    const RunResult merge = gis({"merge", "--out", "merged", "m/lib"}, dir);
    EXPECT_EQ(merge.status, 1);
    EXPECT_NE(merge.err.find("row 1 (stuck) of m/lib/index.json has not run: its batch was stopped before it"),
              std::string::npos)
        << merge.err;
    EXPECT_FALSE(file_exists(dir / "merged"));
}

// A manifest is read as GDAL reads CSV: what spreadsheets write (a byte order mark, CR LF,
// quoted cells holding commas, quotes and line breaks), blank lines left out, and each row
// named by the line it starts on. A quote closing a cell before its end joins the rest to it.
TEST(Manifest, RowsAreReadAsGdalReadsCsvEachWithTheLineItStartsOn) {
    const struct {
        std::string text;
        std::vector<std::string> rows;  // "line name column=cell ..."
    } cases[] = {
        {"\xEF\xBB\xBFname,dem,river,layers\r\na,d.tif,r.gpkg,0:1:1\r\n", {"2 a dem=d.tif layers=0:1:1 river=r.gpkg"}},
        {"name,dem,river,layers,from\n\n\"b\",d.tif,\"r\nx\",0:1:1,\"1,2\"\n\nc,\"say \"\"hi\"\"\",r,z,\n",
         {"3 b dem=d.tif from=1,2 layers=0:1:1 river=r\nx", "6 c dem=say \"hi\" layers=z river=r"}},
        {"name,dem,river,layers\na,\"x\"y,r,z", {"2 a dem=xy layers=z river=r"}},
    };
    for (const auto& k : cases) {
        std::vector<std::string> rows;
        for (const ManifestRow& row : parse_manifest(k.text, "m.csv")) {
            std::string text = std::to_string(row.line) + " " + row.name;
            for (const auto& [column, cell] : row.cells) text += column == "name" ? "" : " " + column + "=" + cell;
            rows.push_back(text);
        }
        EXPECT_EQ(rows, k.rows) << k.text;
    }
}
