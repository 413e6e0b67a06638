#include "commands.h"

#include <algorithm>
#include <limits>

namespace {

// The options several commands share.
Option unit_option(const std::string& help) {
    return choice_option("--unit", {"m", "dm", "cm", "mm"}, help).refused_as_unknown("unit");
}
Option z_unit_option() {
    return choice_option("--z-unit", {"m", "ft", "us-ft"},
                         "the DEM's vertical unit, in place of one the file gives wrongly or does not name");
}
Option extent_option() {
    return choice_option("--extent", {"flood", "full"}, "the map shows the flood with a margin, or the whole grid")
        .by_default("flood")
        .refused_as_unknown("extent");
}
Option jobs_option() {
    return whole_option("--jobs", "N", "runs at once; by default as many as the cores and the memory allow")
        .within(1, 1024, "a whole number from 1 to 1024");
}
Option overwrite_option(const std::string& what) { return flag_option("--overwrite", "replace " + what); }
Option like_option() { return path_option("--like", "DEM_m4.raw", "the imported DEM whose grid the vectors are burnt on"); }

CommandDecl command(const std::string& name, const std::string& positionals, std::size_t least, std::size_t most,
                    const std::string& about, std::vector<Option> options) {
    return CommandDecl{name, positionals, least, most, about, std::move(options)};
}

CommandDecl import_dem() {
    return command(
        "import-dem", "SRC NAME", 2, 2,
        "Any raster GDAL reads becomes NAME_m4.raw (little-endian 32-bit altitudes in the unit), NAME_m4.txt (its "
        "descriptor) and NAME_m4.hdr (an ENVI header with the georeferencing). Its values are brought to metres by "
        "the band's scale, offset and vertical unit (metres when it gives none; --z-unit in place of a unit it gives "
        "wrongly or one not known). Cells without data get V (high ground that water never enters).",
        {unit_option("the DEM unit of the altitudes written").needed(), z_unit_option(),
         whole_option("--nodata", "V", "the altitude written for cells without data")
             .within(-2147483648.0, 2147483647.0, "a whole number within 32 bits")
             .by_default("2147483647"),
         overwrite_option("files of NAME that exist")});
}

CommandDecl import_bytes(const std::string& name, const std::string& what, const std::string& shapes) {
    return command(name, "SRC NAME", 2, 2,
                   "A raster (non-zero cells are " + what + ") or a layer of " + shapes +
                       ", burnt on the grid of the DEM given by --like, becomes NAME.raw (bytes 0 and 1), NAME.txt "
                       "and NAME.hdr.",
                   {like_option(), overwrite_option("files of NAME that exist")});
}

CommandDecl export_result() {
    return command(
        "export", "RESULT OUT.tif", 2, 2,
        "A result raster (the flooded DEM or the flood extent) becomes a compressed GeoTIFF with the georeferencing "
        "of the imported DEM. With --depth, the flood depth in metres (the flooded DEM minus the DEM given, no data "
        "where dry) is written instead.",
        {path_option("--like", "NAME_m4.raw", "the imported DEM whose georeferencing the GeoTIFF gets").needed(),
         path_option("--depth", "DEM_m4.raw", "write the depth above this DEM"),
         unit_option("the DEM unit of the rasters, for the depth").by_default("m"),
         overwrite_option("OUT.tif when it exists")});
}

CommandDecl stats() {
    return command("stats", "RESULT_BASE", 1, 1,
                   "The flooded area beyond the river mask, the flood volume and the greatest and mean depth of the "
                   "run whose results are RESULT_BASE_tarvex*.",
                   {path_option("--dem", "DEM_m4.raw", "the DEM of the run").needed(),
                    unit_option("the DEM unit of the run").needed(), flag_option("--json", "print the figures as JSON")});
}

// --discharges takes 1 to 100 discharges.
std::vector<std::size_t> discharge_counts() {
    std::vector<std::size_t> counts;
    for (std::size_t k = 1; k <= 100; ++k) counts.push_back(k);
    return counts;
}

std::vector<Option> flood_options_declared() {
    return {
        path_option("--dem", "DEM", "the DEM: any raster GDAL reads, in a projected coordinate system")
            .needed().in_manifest(),
        path_option("--river", "CENTRELINE", "the river's centreline: lines, or the set cells of a raster")
            .needed().in_manifest(),
        path_option("--mask", "MASK", "the river mask: polygons or a raster (one of --mask and --width)").in_manifest(),
        real_option("--width", "METRES", "the river's width, for a mask made around the centreline")
            .above_zero("a width above 0 metres").in_manifest(),
        numbers_option("--from", "X,Y", {2}, "the upper end in map coordinates, snapped to the centreline; by "
                       "default an end of the centreline, the higher").in_manifest(),
        numbers_option("--to", "X,Y", {2}, "the lower end, likewise; by default the other end").in_manifest(),
        real_option("--level-from", "M", "the water level at the upper end of the straight surface; by default "
                    "the bed near it").in_manifest(),
        real_option("--level-to", "M", "the water level at the lower end of the straight surface").in_manifest(),
        numbers_option("--layer", "M[,M]", {1, 2}, "the water's thickness above the surface: one, or the two ends'"),
        range_option("--layers", "FROM:TO:STEP", "a library: one run per thickness, in metres (in place of --layer)")
            .in_manifest(),
        jobs_option(),
        real_option("--discharge", "Q", "the flood that carries Q m3/s by Manning's formula over the reach, its layer "
                    "found by runs of the flood (in place of --layer and --layers)")
            .above_zero("a discharge above 0 m3/s").in_manifest(),
        numbers_option("--discharges", "Q1,Q2,...", discharge_counts(), "with --layers: the floods of these "
                       "discharges, each at the layer the library's rating curve gives it")
            .above_zero("a discharge above 0 m3/s"),
        real_option("--manning", "N", "Manning's roughness n of the rating curve; 0.035 is that of natural "
                    "channels, clean and winding").above_zero("a roughness above 0").by_default("0.035").in_manifest(),
        numbers_option("--wave", "HALF_LENGTH_M,HEIGHT_M[,X,Y]", {2, 4}, "a Gaussian wave: its half length and "
                       "height, and its summit (by default the middle of the path)"),
        unit_option("the DEM unit the run uses inside").by_default("cm").in_manifest(),
        z_unit_option().in_manifest(),
        real_option("--margin", "METRES", "the margin of the window of the DEM read around the reach, doubled until "
                    "the flood stays inside it").above_zero("a margin above 0 metres").by_default("2000").in_manifest(),
        choice_option("--extent", {"flood", "full"}, "the flood is run and written in a window of the DEM around the "
                      "reach, or on the DEM's whole grid when the memory and the disk hold it").by_default("flood")
            .refused_as_unknown("extent"),
        path_option("--out", "FOLDER", "the flood's folder, written whole or not at all").needed(),
        overwrite_option("FOLDER when it is a complete earlier output of tarvex-gis flood"),
        choice_option("--rules", {"sound", "described"}, "how the water spreads: any water neighbour above a "
                      "cell's ground wets it, or the console program's rules").by_default("sound").in_manifest(),
        choice_option("--surface", {"bed", "straight"}, "the water stands --layer above the bed carved never to "
                      "rise downstream, or on the straight line between the end levels").by_default("bed").in_manifest(),
        flag_option("--beyond-ends", "let the flood pass the ends of the reach (yes in a manifest)").in_manifest(),
    };
}

CommandDecl flood() {
    return command(
        "flood", "", 0, 0,
        "One command from GIS data to a checked flood of a river reach: the centreline (lines or set cells) is "
        "brought onto the DEM's grid and thinned, the end points snapped to it, the engine run, and FOLDER filled "
        "with the depth and extent (GeoTIFF, GeoPackage), a map, a profile (SVG and CSV), statistics with warnings, "
        "a summary, and run/. Give one of --mask and --width, and --layer, --layers, --discharge or --wave. By "
        "default the water stands --layer metres above the river bed carved so that it never rises downstream, "
        "spreads by sound rules (any water neighbour above a cell's ground wets it; no ground is lowered) and stops "
        "at cuts across the valley at the two ends. Under --rules described --surface straight, run/ holds the "
        "console run that reproduces it, else run/scenario.json. With --layers, a library: one such folder per layer "
        "thickness (runs on N cores at once), and stage.tif (the smallest thickness at which each cell is water), "
        "library.json, library.png, and the reach's synthetic rating curve (rating.csv, rating.svg): for each level, "
        "Manning's discharge through the mean cross-section of the wet cells. With --discharge, the flood that "
        "carries that discharge. The DEM's values are brought to metres by its band's scale, offset and vertical "
        "unit.",
        flood_options_declared());
}

// "name, dem, river, ...": the columns of a batch manifest.
std::string manifest_columns_text() {
    std::string columns = "name";
    for (const Option& o : flood_options_declared()) {
        if (o.column) columns += ", " + o.column_name();
    }
    return columns;
}

CommandDecl batch() {
    return command(
        "batch", "MANIFEST.csv", 1, 1,
        "The flood libraries of many reaches: MANIFEST.csv holds one reach a row under a header row naming its "
        "columns, among " + manifest_columns_text() + " (the flood options without their dashes, '-' as '_', "
        "checked as flood checks them; beyond_ends given as yes). name, dem, river, and layers or discharge are "
        "required, an empty cell gives no option, a cell holding commas is quoted, and relative paths are taken from "
        "the manifest's folder. Each row runs flood --layers on N cores into FOLDER/NAME; a row with a discharge and "
        "no layers runs flood --discharge there, and with layers its library maps the discharges of the cell "
        "(Q1,Q2,...) as --discharges does. With --shard K/N (K from 0 to N-1), only the rows K, K+N, K+2N, ... "
        "(counted from 0 below the header) run, so that N machines share a batch. A row that fails is recorded and "
        "the others go on; a row whose FOLDER/NAME/library.json (stats.json for a discharge) exists already is "
        "skipped unless --redo. FOLDER/index.json (index-shard-K-of-N.json with --shard) says what became of each "
        "row, rewritten as each row ends (the rows not run yet are pending). Exits with 1 when any row failed.",
        {path_option("--out", "FOLDER", "the batch's folder").needed(), jobs_option(),
         text_option("--shard", "K/N", "run the shard K of N"), flag_option("--redo", "run done rows again")});
}

CommandDecl merge() {
    return command("merge", "FOLDER...", 1, std::numeric_limits<std::size_t>::max(),
                   "Joins the folders of a batch's shards (every shard once) into OUT/index.json, every reach in "
                   "the manifest's order, and OUT/floods.gpkg, one layer per level (layer_<thickness>) holding every "
                   "reach's flood polygons at that level with its name in the field reach. Refuses a shard missing "
                   "or given twice, pending rows, an OUT inside a FOLDER, and an OUT/index.json or OUT/floods.gpkg "
                   "that is not its own.",
                   {path_option("--out", "OUT", "the merge's folder").needed(),
                    overwrite_option("a merge's own outputs in OUT")});
}

CommandDecl evaluate() {
    return command(
        "evaluate", "", 0, 0,
        "A flood map scored against an observed flood: each cell of the domain is a true positive (flooded in both), "
        "a false positive (on the map only), a false negative (observed only) or a true negative, and the counts give "
        "CSI = TP/(TP+FP+FN), POD = TP/(TP+FN), FAR = FP/(TP+FP) and bias = (TP+FP)/(TP+FN) (null where the "
        "denominator is 0). The domain is the cells of the flood's window where its DEM has data (the DEM the folder "
        "was flooded on: its run's copy, or the one its run/scenario.json names), within --domain when given. OUT, "
        "written whole or not at all, holds agreement.tif (0 true negative, 1 false negative, 2 false positive, 3 true "
        "positive, 255 outside the domain), agreement.png and evaluation.json. Given a library, every level is scored "
        "into OUT/layer_<thickness>/ and OUT/evaluation.json names the best level by CSI.",
        {path_option("--flood", "FOLDER", "the folder of tarvex-gis flood: a flood, or a library").needed(),
         path_option("--benchmark", "OBSERVED", "the observed flood: polygons, or a raster whose set cells (neither 0 "
                     "nor no data) are flooded; in any coordinate system").needed(),
         path_option("--domain", "POLYGONS", "score only the cells within these polygons"),
         path_option("--dem", "DEM", "the DEM the flood was run on, when the folder's is not found"),
         path_option("--out", "OUT", "the evaluation's folder, written whole or not at all").needed(),
         overwrite_option("OUT when it is a complete earlier output of tarvex-gis evaluate")});
}

CommandDecl endpoints() {
    return command("endpoints", "CENTRELINE_RASTER", 1, 1,
                   "The end and branch pixels of a river skeleton (as the console program sees it), with line and "
                   "column for its dialog, map coordinates and, with --dem, the ground altitude.",
                   {path_option("--dem", "DEM", "the DEM whose altitudes are listed")});
}

CommandDecl render() {
    return command("render", "RESULT_BASE OUT", 2, 2,
                   "A map of the run: a hillshade of the ground, the flood's depth in shades of blue with a legend "
                   "in metres, the river path and its two ends, a scale bar and a north arrow; cropped to the flood "
                   "with a margin, or the whole grid with --extent full. OUT ends in .png, .svg or .pdf.",
                   {unit_option("the DEM unit of the run").by_default("m"), extent_option(),
                    overwrite_option("OUT when it exists")});
}

CommandDecl profile() {
    return command("profile", "RESULT_BASE OUT", 2, 2,
                   "The river profile: the ground along the path, the linear profile and the final water surface (in "
                   "metres with --unit, else in DEM units) against the distance along the path in metres, with the "
                   "two ends and the wave's summit marked. OUT ends in .svg, .png or .pdf.",
                   {unit_option("the DEM unit of the run"), overwrite_option("OUT when it exists")});
}

}  // namespace

const std::vector<CommandDecl>& gis_commands() {
    static const std::vector<CommandDecl> table = {
        batch(),   endpoints(), evaluate(), export_result(), flood(),  import_dem(), import_bytes("import-mask", "river", "polygons"),
        import_bytes("import-skeleton", "skeleton", "lines"), merge(), profile(), render(), stats(),
    };
    return table;
}

const CommandDecl* gis_command(const std::string& name) {
    const std::vector<CommandDecl>& all = gis_commands();
    const auto at = std::find_if(all.begin(), all.end(), [&](const CommandDecl& c) { return c.name == name; });
    return at == all.end() ? nullptr : &*at;
}

const CommandDecl& flood_declaration() { return *gis_command("flood"); }
