// tarvex-gis: the GIS companion of tarvex. It brings GeoTIFF (or any GDAL raster or vector)
// DEMs, masks and skeletons in as tarvex's raw rasters, takes results out as GeoTIFFs, and
// draws a run as a map and a profile.
#include <cpl_error.h>
#include <malloc.h>
#include <gdal.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <map>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "batch.h"
#include "endpoints.h"
#include "exports.h"
#include "flood.h"
#include "gis_io.h"
#include "imports.h"
#include "merge.h"
#include "outputs.h"
#include "profile.h"
#include "render.h"
#include "signal_cleanup.h"
#include "stats.h"
#include "stop.h"

namespace {

// The positionals of a command that takes any number of them from one.
constexpr std::size_t kOneOrMore = static_cast<std::size_t>(-1);

struct Command {
    const char* usage;
    std::size_t positionals;
    std::set<std::string> valued;    // options taking a value
    std::set<std::string> switches;  // options alone
    std::set<std::string> required;
};

const std::map<std::string, Command>& commands() {
    static const std::map<std::string, Command> table = {
        {"import-dem",
         {"import-dem SRC NAME --unit m|dm|cm|mm [--z-unit m|ft|us-ft] [--nodata V] [--overwrite]\n"
          "  Any raster GDAL reads becomes NAME_m4.raw (little-endian 32-bit altitudes in the unit),\n"
          "  NAME_m4.txt (its descriptor) and NAME_m4.hdr (an ENVI header with the georeferencing).\n"
          "  Its values are brought to metres by the band's scale, offset and vertical unit (metres\n"
          "  when it gives none; --z-unit in place of a unit it gives wrongly or one not known). Cells\n"
          "  without data get V (default 2147483647: high ground that water never enters).",
          2, {"--unit", "--z-unit", "--nodata"}, {"--overwrite"}, {"--unit"}}},
        {"import-mask",
         {"import-mask SRC NAME [--like DEM_m4.raw] [--overwrite]\n"
          "  A raster (non-zero cells are river) or a layer of polygons, burnt on the grid of the DEM\n"
          "  given by --like, becomes NAME.raw (bytes 0 and 1), NAME.txt and NAME.hdr.",
          2, {"--like"}, {"--overwrite"}, {}}},
        {"import-skeleton",
         {"import-skeleton SRC NAME [--like DEM_m4.raw] [--overwrite]\n"
          "  A raster (non-zero cells are skeleton) or a layer of lines, burnt on the grid of the DEM\n"
          "  given by --like, becomes NAME.raw (bytes 0 and 1), NAME.txt and NAME.hdr.",
          2, {"--like"}, {"--overwrite"}, {}}},
        {"export",
         {"export RESULT OUT.tif --like NAME_m4.raw [--depth DEM_m4.raw [--unit m|dm|cm|mm]] [--overwrite]\n"
          "  A result raster (the flooded DEM or the flood extent) becomes a compressed GeoTIFF with\n"
          "  the georeferencing of the imported DEM. With --depth, the flood depth in metres (the\n"
          "  flooded DEM minus the DEM given, no data where dry) is written instead.",
          2, {"--like", "--depth", "--unit"}, {"--overwrite"}, {"--like"}}},
        {"stats",
         {"stats RESULT_BASE --dem DEM_m4.raw --unit m|dm|cm|mm [--json]\n"
          "  The flooded area beyond the river mask, the flood volume and the greatest and mean\n"
          "  depth of the run whose results are RESULT_BASE_tarvex*.",
          1, {"--dem", "--unit"}, {"--json"}, {"--dem", "--unit"}}},
        {"flood",
         {"flood --dem DEM --river CENTRELINE (--mask MASK | --width METRES) [--from X,Y] [--to X,Y]\n"
          "      [--level-from M] [--level-to M] [--layer M[,M] | --layers FROM:TO:STEP [--jobs N]]\n"
          "      [--wave HALF_LENGTH_M,HEIGHT_M[,X,Y]]\n"
          "      [--unit m|dm|cm|mm] [--z-unit m|ft|us-ft] [--extent flood|full] --out FOLDER [--overwrite]\n"
          "      [--rules sound|described] [--surface bed|straight] [--beyond-ends]\n"
          "  One command from GIS data to a checked flood of a river reach: the centreline (lines or set\n"
          "  cells) is brought onto the DEM's grid and thinned, the end points snapped to it, the engine\n"
          "  run, and FOLDER filled with the depth and extent (GeoTIFF, GeoPackage), a map, a profile\n"
          "  (SVG and CSV), statistics with warnings, a summary, and run/. By default the water stands\n"
          "  --layer metres above the river bed carved so that it never rises downstream, spreads by\n"
          "  sound rules (any water neighbour above a cell's ground wets it; no ground is lowered) and\n"
          "  stops at cuts across the valley at the two ends. --surface straight takes the straight line\n"
          "  between the end levels (--level-from, --level-to; by default the bed near each end),\n"
          "  --rules described the console program's rules, --beyond-ends lets the flood pass the ends;\n"
          "  under --rules described --surface straight, run/ holds the console run that reproduces\n"
          "  it, else run/scenario.json. With --layers, a library: one such folder per layer thickness\n"
          "  (runs on N cores at once), and stage.tif (the smallest thickness at which each cell is\n"
          "  water), library.json and library.png. The DEM's values are brought to metres by its\n"
          "  band's scale, offset and vertical unit (--z-unit in place of a unit the file gives\n"
          "  wrongly, or does not name as metres or feet).",
          0,
          {"--dem", "--river", "--mask", "--width", "--from", "--to", "--level-from", "--level-to", "--layer",
           "--layers", "--jobs", "--wave", "--unit", "--z-unit", "--out", "--extent", "--rules", "--surface"},
          {"--overwrite", "--beyond-ends"},
          {"--dem", "--river", "--out"}}},
        {"batch",
         {"batch MANIFEST.csv --out FOLDER [--jobs N] [--shard K/N] [--redo]\n"
          "  The flood libraries of many reaches: MANIFEST.csv holds one reach a row under a header row\n"
          "  naming its columns, among name,dem,river,mask,width,from,to,level_from,level_to,layers,unit,\n"
          "  z_unit,rules,surface,beyond_ends (the flood options, beyond_ends given as yes; name, dem, river and layers are required, layers is FROM:TO:STEP, an\n"
          "  empty cell gives no option, a cell holding commas is quoted; relative paths are taken from\n"
          "  the manifest's folder). Each row runs flood --layers on N cores into FOLDER/NAME. With\n"
          "  --shard K/N (K from 0 to N-1), only the rows K, K+N, K+2N, ... (counted from 0 below the\n"
          "  header) run, so that N machines share a batch. A row that fails is recorded and the others\n"
          "  go on; a row whose FOLDER/NAME/library.json exists already is skipped unless --redo.\n"
          "  FOLDER/index.json (index-shard-K-of-N.json with --shard) says what became of each row,\n"
          "  rewritten as each row ends (the rows not run yet are pending).\n"
          "  Exits with 1 when any row failed.",
          1, {"--out", "--jobs", "--shard"}, {"--redo"}, {"--out"}}},
        {"merge",
         {"merge --out OUT FOLDER... [--overwrite]\n"
          "  Joins the folders of a batch's shards (every shard once) into OUT/index.json, every reach\n"
          "  in the manifest's order, and OUT/floods.gpkg, one layer per level (layer_<thickness>)\n"
          "  holding every reach's flood polygons at that level with its name in the field reach.\n"
          "  Refuses a shard missing or given twice, pending rows, an OUT inside a FOLDER, and an\n"
          "  OUT/index.json or OUT/floods.gpkg that is not its own.",
          kOneOrMore, {"--out"}, {"--overwrite"}, {"--out"}}},
        {"endpoints",
         {"endpoints CENTRELINE_RASTER [--dem DEM]\n"
          "  The end and branch pixels of a river skeleton (as the console program sees it), with\n"
          "  line and column for its dialog, map coordinates and, with --dem, the ground altitude.",
          1, {"--dem"}, {}, {}}},
        {"render",
         {"render RESULT_BASE OUT.png [--unit m|dm|cm|mm] [--extent flood|full] [--overwrite]\n"
          "  A map of the run: a hillshade of the ground, the flood's depth in shades of blue with a\n"
          "  legend in metres, the river path and its two ends, a scale bar and a north arrow; cropped\n"
          "  to the flood with a margin, or the whole grid with --extent full.",
          2, {"--unit", "--extent"}, {"--overwrite"}, {}}},
        {"profile",
         {"profile RESULT_BASE OUT.svg [--unit m|dm|cm|mm] [--overwrite]\n"
          "  The river profile: the ground along the path, the linear profile and the final water\n"
          "  surface (in metres with --unit, else in DEM units) against the distance along the path\n"
          "  in metres, with the two ends and the wave's summit marked.",
          2, {"--unit"}, {"--overwrite"}, {}}},
    };
    return table;
}

[[noreturn]] void usage_error(const std::string& message, const std::string& usage) {
    std::fprintf(stderr, "tarvex-gis: %s\nusage: tarvex-gis %s\n", message.c_str(), usage.c_str());
    std::exit(2);
}

void print_overview() {
    std::printf("usage: tarvex-gis COMMAND ... (tarvex-gis COMMAND --help for one command, tarvex-gis --version)\n\n");
    for (const auto& [name, command] : commands()) std::printf("%s\n\n", command.usage);
}

struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
    bool has(const std::string& o) const { return options.count(o) != 0; }
    std::string get(const std::string& o, const std::string& fallback = "") const {
        return has(o) ? options.at(o) : fallback;
    }
};

Args parse(const Command& c, int argc, char** argv) {
    Args a;
    for (int k = 2; k < argc; ++k) {
        const std::string word = argv[k];
        if (word == "--help" || word == "-h") {
            std::printf("usage: tarvex-gis %s\n", c.usage);
            std::exit(0);
        }
        if (c.switches.count(word)) {
            a.options[word] = "";
        } else if (c.valued.count(word)) {
            if (k + 1 >= argc) usage_error(word + " needs a value", c.usage);
            a.options[word] = argv[++k];
        } else if (word.rfind("--", 0) == 0) {
            usage_error("unknown option " + word, c.usage);
        } else {
            a.positional.push_back(word);
        }
    }
    const bool counted = c.positionals == kOneOrMore ? !a.positional.empty() : a.positional.size() == c.positionals;
    if (!counted) usage_error("wrong number of arguments", c.usage);
    for (const std::string& o : c.required) {
        if (!a.has(o)) usage_error(o + " is required", c.usage);
    }
    return a;
}

double nodata_option(const Args& a) {
    const std::string text = a.get("--nodata", "2147483647");
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    // The range first: converting a number beyond it (or not a number) would be undefined.
    const bool within = end != text.c_str() && *end == '\0' && v >= -2147483648.0 && v <= 2147483647.0;
    if (!within || v != std::trunc(v)) fail("--nodata needs a whole number within 32 bits, not " + text);
    return v;
}

int dispatch(const std::string& name, const Args& a) {
    const auto& p = a.positional;
    const bool overwrite = a.has("--overwrite");
    if (name == "import-dem") {
        return import_dem(p[0], p[1], a.get("--unit"), a.get("--z-unit"), nodata_option(a), overwrite);
    }
    if (name == "import-mask") return import_byte_raster(p[0], p[1], a.get("--like"), true, overwrite);
    if (name == "import-skeleton") return import_byte_raster(p[0], p[1], a.get("--like"), false, overwrite);
    if (name == "export") {
        return export_result(p[0], p[1], a.get("--like"), a.get("--depth"), a.get("--unit", "m"), overwrite);
    }
    if (name == "stats") return flood_stats(p[0], a.get("--dem"), a.get("--unit"), a.has("--json"));
    if (name == "render") return render_png(p[0], p[1], a.get("--unit", "m"), overwrite, a.get("--extent", "flood"));
    if (name == "flood") return flood_command(a.options);
    if (name == "batch") return batch_command(p[0], a.options);
    if (name == "merge") return merge_command(p, a.get("--out"), overwrite);
    if (name == "endpoints") return endpoints_command(p[0], a.get("--dem"));
    return profile_svg(p[0], p[1], a.get("--unit"), overwrite);
}

// Blocks of 128 KiB and more (grids, raster pieces, GDAL's tiles) get pages of their own, given
// back to the system when freed. By default glibc raises this threshold after the first big
// free, so that later grids of a byte a cell come from the threads' arenas, which keep their
// freed pages: with several runs at once that held about 4 bytes a cell beyond what the live
// grids need.
void keep_big_blocks_apart() {
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}

}  // namespace

namespace {

// The command, its failures told in one line: a stop in its own words, anything else (a file
// system error, a thread that could not start, memory running out) as what it is. Once an
// interruption has begun, the signal's thread ends the process: nothing is said here.
int run_command(const std::string& name, const Args& args) {
    try {
        // Before GDAL starts any thread: Ctrl-C, SIGTERM and SIGHUP remove the outputs' temporaries.
        SignalCleanup signals(gis_temporaries());
        CPLSetErrorHandler(CPLQuietErrorHandler);  // failures are reported in our own words
        GDALAllRegister();
        try {
            return dispatch(name, args);
        } catch (...) {
            if (gis_temporaries().stopping()) {
                for (;;) ::pause();  // the signal's thread removes the temporaries and ends the process
            }
            throw;
        }
    } catch (const Stop& stop) {
        std::fprintf(stderr, "tarvex-gis: %s\n", stop.what());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "tarvex-gis: not enough memory\n");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tarvex-gis: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "tarvex-gis: an unexpected error stopped the command\n");
    }
    return 1;  // the outputs not committed went with the stack
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]) == "--version") {
        std::printf("tarvex-gis %s\n", TARVEX_VERSION);
        return 0;
    }
    if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
        print_overview();
        return argc < 2 ? 2 : 0;
    }
    const auto found = commands().find(argv[1]);
    if (found == commands().end()) {
        std::fprintf(stderr, "tarvex-gis: unknown command %s (tarvex-gis --help lists them)\n", argv[1]);
        return 2;
    }
    const Args args = parse(found->second, argc, argv);
    keep_big_blocks_apart();
    return run_command(found->first, args);
}
