#include "flood_files.h"

#include <cpl_conv.h>
#include <cpl_json.h>
#include <gdal.h>
#include <gdal_alg.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>
#include <cstring>

#include "cell_depth.h"
#include "file_formats.h"
#include "gdal_handles.h"
#include "gdal_raster.h"
#include "geotiff.h"
#include "gis_io.h"
#include "json_files.h"
#include "outputs.h"
#include "raw_files.h"
#include "result_files.h"
#include "text.h"

namespace fs = std::filesystem;

namespace {

constexpr float kDry = -9999.0f;

// `from`, copied into `into` when that is a grid of the same size (memory already in use),
// else into a new grid.
template <typename T>
Grid<T> copy_into(Grid<T> into, const Grid<T>& from) {
    if (into.nb_lig() != from.nb_lig() || into.nb_col() != from.nb_col()) return from;
    std::memcpy(into.data(), from.data(), from.cells() * sizeof(T));
    return into;
}

}  // namespace

namespace {

// The run's view of a cell: one past a cut at an end is out of the river mask and high ground,
// so that neither the surface nor the water reaches it.
unsigned char run_mask(const Reach& r, int i, int j) { return r.beyond_cut(Cell{i, j}) ? 0 : r.mask[i][j]; }
std::int32_t run_dem(const Reach& r, int i, int j) { return r.beyond_cut(Cell{i, j}) ? Reach::kNoGround : r.dem[i][j]; }

}  // namespace

Scenario reach_scenario(const Reach& r, const RunSettings& p, const FloodPlace& folder, Inputs spare) {
    Scenario s;
    const std::string images = folder.final_path(std::string("run/images/") + kRun.directory + "/");
    s.names = InputNames{images + kRun.mask + kByteRaster, images + kRun.skeleton + kByteRaster,
                         images + kRun.dem + kDemRaster};
    s.inputs = Inputs{copy_into(std::move(spare.mask), r.mask), skeleton_grid(r, std::move(spare.skeleton)),
                      copy_into(std::move(spare.dem), r.dem)};
    for (int i = 0; i < r.grid.lines; ++i) {
        for (int j = 0; j < r.grid.cols; ++j) {
            if (!r.beyond_cut(Cell{i, j})) continue;
            s.inputs.mask[i][j] = run_mask(r, i, j);
            s.inputs.dem[i][j] = run_dem(r, i, j);
        }
    }
    s.settings = p;
    s.settings.rules = r.rules;
    s.settings.surface = r.surface;
    return s;
}

namespace {

// The files of an input raster of the console run, within the flood's folder: the raster, its
// descriptor and its ENVI header.
struct InputFiles {
    std::string raw, descriptor, header;
};
InputFiles input_files(const std::string& stem, bool dem) {
    const std::string base = std::string("run/images/") + kRun.directory + "/" + stem;
    const std::string raw = base + (dem ? kDemRaster : kByteRaster);
    return InputFiles{raw, base + (dem ? kDemDescriptor : kByteDescriptor), with_extension(raw, kEnviHeader)};
}

// An input raster of the run, `cell(i, j)` for each cell, written line by line.
template <typename T, typename CellOf>
void write_input(const FloodPlace& f, const Reach& r, const std::string& stem, bool dem, CellOf cell,
                 const int fields[6]) {
    const InputFiles names = input_files(stem, dem);
    GisOutputs out(false);  // in the flood's folder, synced whole at its commit
    std::FILE* file = out.create(f.at(names.raw));
    std::vector<T> line(static_cast<std::size_t>(r.grid.cols));
    for (int i = 0; i < r.grid.lines; ++i) {
        for (int j = 0; j < r.grid.cols; ++j) line[static_cast<std::size_t>(j)] = cell(i, j);
        write_cells(file, line.data(), line.size(), f.at(names.raw));
    }
    out.close(file, f.at(names.raw));
    out.write_text(f.at(names.descriptor), descriptor_text(fields, 6));
    const double high = std::numeric_limits<std::int32_t>::max();
    out.write_text(f.at(names.header), envi_header(r.grid.lines, r.grid.cols, dem, r.grid.georef, dem ? &high : nullptr));
    out.commit();
}

void write_inputs(const FloodPlace& f, const Reach& r, const Results& results) {
    const int byte_fields[6] = {r.grid.lines, r.grid.cols, 1, 0, 255, r.pixel.whole};
    write_input<std::uint8_t>(f, r, kRun.mask, false, [&r](int i, int j) { return run_mask(r, i, j); }, byte_fields);
    const ByteGrid skeleton = skeleton_grid(r);
    write_input<std::uint8_t>(f, r, kRun.skeleton, false, [&skeleton](int i, int j) { return skeleton[i][j]; },
                              byte_fields);
    const int dem_fields[6] = {r.grid.lines, r.grid.cols, 4, results.dem_range.min, results.dem_range.max, r.pixel.whole};
    write_input<std::int32_t>(f, r, kRun.dem, true, [&r](int i, int j) { return run_dem(r, i, j); }, dem_fields);
}

// Links the input files of the folder `first` into `f`; false, with none left, where one
// cannot be linked.
bool link_inputs(const std::string& first, const FloodPlace& f) {
    std::vector<std::string> linked;
    for (const auto& [stem, dem] : {std::pair{kRun.mask, false}, {kRun.skeleton, false}, {kRun.dem, true}}) {
        const InputFiles names = input_files(stem, dem);
        for (const std::string* name : {&names.raw, &names.descriptor, &names.header}) {
            if (link((first + "/" + *name).c_str(), f.at(*name).c_str()) != 0) {
                for (const std::string& done : linked) unlink(done.c_str());
                return false;
            }
            linked.push_back(f.at(*name));
        }
    }
    return true;
}

// The answers of the console dialog that give the reach's run (reals to 17 digits: they read
// back as the same doubles).
// The menus take 0 for yes and 1 for no, and number the units by their power of ten.
std::string answers_of(const RunSettings& p, int pixel) {
    const int unit = static_cast<int>(std::lround(std::log10(units_per_metre(p.unit))));
    std::string a = std::string(kRun.directory) + "\n" + kRun.mask + "\n" + kRun.skeleton + "\n" + kRun.dem + "\n" +
                    kRun.result + "\n" +
                    strf("%d\n%d\n%d\n%.17g\n%d\n%d\n%.17g\n%d\n", unit, p.upper.cell.line, p.upper.cell.column,
                         p.upper.level_m, p.lower.cell.line, p.lower.cell.column, p.lower.level_m, p.wave.on ? 0 : 1);
    const WaveOptions& w = p.wave;
    if (w.on) a += strf("%d\n%.17g\n%d\n%d\n", w.half_length_px, w.height_m, w.summit.line, w.summit.column);
    a += strf("%d\n", p.layer.on ? 0 : 1);
    if (p.layer.on) a += strf("%.17g\n%.17g\n", p.layer.upper_m, p.layer.lower_m);
    return a + strf("%d\n", pixel);
}

// The five results as the console program writes them.
void write_results(const FloodPlace& f, const Reach& r, const Results& results) {
    const std::string base = f.at(std::string("run/images/") + kRun.directory + "/" + kRun.result);
    try {
        // In the flood's folder, synced whole at its commit.
        write_results(base, results, r.pixel.whole, &gis_temporaries(), false);
    } catch (const Stop& stop) {
        const std::string message = stop.what();
        const std::size_t first = message.find_first_not_of("\n "), last = message.find_last_not_of("\n ");
        fail(first == std::string::npos ? message : message.substr(first, last - first + 1));
    }
}

CPLJSONObject end_json(const ReachEnd& e) {
    CPLJSONObject end;
    end.Add("line", e.cell.i);
    end.Add("column", e.cell.j);
    end.Add("level_m", e.level_m);
    return end;
}

// What the engine was given, and the command that gives the same flood again.
std::string scenario_json(const Reach& r, const RunSettings& p, const FloodPlace& f) {
    CPLJSONObject root;
    root.Add("rules", r.rules == SpreadRules::sound ? "sound" : "described");
    root.Add("surface", r.surface == SurfaceProfile::bed ? "bed" : "straight");
    root.Add("cut_at_ends", r.cut);
    root.Add("lines", r.grid.lines);
    root.Add("columns", r.grid.cols);
    root.Add("pixel_size_m", r.pixel.metres);
    root.Add("dem_units_per_metre", r.coef);
    root.Add("upper_end", end_json(r.from));
    root.Add("lower_end", end_json(r.to));
    if (p.layer.on) {
        CPLJSONArray layer;
        layer.Add(p.layer.upper_m);
        layer.Add(p.layer.lower_m);
        root.Add("layer_m", layer);
    }
    if (p.wave.on) {
        CPLJSONObject wave;
        wave.Add("half_length_pixels", p.wave.half_length_px);
        wave.Add("height_m", p.wave.height_m);
        wave.Add("line", p.wave.summit.line);
        wave.Add("column", p.wave.summit.column);
        root.Add("wave", wave);
    }
    root.Add("command", flood_command_line(r.options, p, f.final_root));
    root.Add("replay", "the console program replays only runs under --rules described --surface straight: run the "
                       "command to give this flood again");
    return json_document(root);
}

}  // namespace

void write_run(const FloodPlace& f, const Reach& r, const RunSettings& p, const Results& results,
               const std::string& trace, SharedRunInputs* shared) {
    if (!r.replayable()) {
        GisOutputs out(false);  // in the flood's folder, synced whole at its commit
        out.write_text(f.at("run/scenario.json"), scenario_json(r, p, f));
        out.write_text(f.at("run/console.txt"), trace);
        out.commit();
        return;
    }
    make_folders_below(f.at("run"), std::string("images/") + kRun.directory);
    if (shared == nullptr) {
        write_inputs(f, r, results);
    } else {
        std::lock_guard<std::mutex> held(shared->mutex);
        if (shared->first.empty() || !link_inputs(shared->first, f)) write_inputs(f, r, results);
        if (shared->first.empty()) shared->first = f.work;
    }
    write_results(f, r, results);
    GisOutputs out(false);  // in the flood's folder, synced whole at its commit
    out.write_text(f.at("run/answers.txt"), answers_of(p, r.pixel.whole));
    out.write_text(f.at("run/console.txt"), trace);
    out.commit();
}

float depth_at(const Reach& r, const Results& results, int i, int j) {
    return static_cast<float>(cell_depth(r.dem[i][j], results.flooded_dem[i][j], results.extent[i][j] == 1, r.coef));
}

namespace {

// The flood's polygons (the cells at 1 of the extent) with their area in square metres.
void write_polygons(const FloodPlace& f, const Reach& r, const std::string& extent_tif) {
    const GdalDataset raster(extent_tif, GDAL_OF_RASTER);
    GisOutputs out(false);  // in the flood's folder, synced whole at its commit
    const std::string path = f.at("extent.gpkg"), temporary = out.reserve(path);
    std::remove(temporary.c_str());  // the driver creates its own file
    {
        GdalDataset vectors = create_geopackage(temporary, path);
        const OwnedSrs srs = srs_of(r.grid.georef.wkt);
        OGRLayerH layer = create_polygon_layer(vectors.get(), "flood", srs.get(), {{"water", OFTInteger}, {"area_m2", OFTReal}}, path);
        check_gdal_writes(vectors, temporary, path);
        GDALRasterBandH band = GDALGetRasterBand(raster.get(), 1);
        // The band as its own mask: its zeros are left out.
        if (GDALPolygonize(band, band, layer, 0, nullptr, nullptr, nullptr) != CE_None) {
            fail_gdal_write(vectors, temporary, path);
        }
        const double units = r.pixel.metres / std::fabs(r.grid.georef.transform[1]);  // metres per map unit
        OGR_L_ResetReading(layer);
        for (OwnedFeature feature; (feature = OwnedFeature(OGR_L_GetNextFeature(layer))) != nullptr;) {
            OGR_F_SetFieldDouble(feature.get(), 1, OGR_G_Area(OGR_F_GetGeometryRef(feature.get())) * units * units);
            if (OGR_L_SetFeature(layer, feature.get()) != OGRERR_NONE) fail_gdal_write(vectors, temporary, path);
        }
        if (!vectors.close()) fail_gdal_write(temporary, path);
    }
    check_gdal_writes(temporary, path);
    out.commit();
}

}  // namespace

void write_flood_rasters(const FloodPlace& f, const Reach& r, const Results& results) {
    const int lines = r.grid.lines, cols = r.grid.cols;
    GisOutputs out(false);  // in the flood's folder, synced whole at its commit
    const double dry = kDry;
    GeoTiff depth(out, f.at("depth.tif"), lines, cols, GDT_Float32, r.grid.georef, &dry);
    GeoTiff extent(out, f.at("extent.tif"), lines, cols, GDT_Byte, r.grid.georef, nullptr);
    std::vector<float> depths;
    std::vector<unsigned char> water;
    for_each_piece(lines, cols, [&](const Piece& p) {
        depths.resize(p.cells());
        water.resize(p.cells());
        for (std::size_t k = 0; k < p.cells(); ++k) {
            const int i = p.line + static_cast<int>((p.col + k) / static_cast<std::size_t>(cols));
            const int j = static_cast<int>((p.col + k) % static_cast<std::size_t>(cols));
            const float d = depth_at(r, results, i, j);
            depths[k] = std::isnan(d) ? kDry : d;
            water[k] = results.extent[i][j] == 1 && r.has_ground(Cell{i, j}) ? 1 : 0;  // no data is never water
        }
        depth.write(p, depths.data());
        extent.write(p, water.data());
    });
    depth.close();
    extent.close();
    out.commit();
    write_polygons(f, r, f.at("extent.tif"));
}
