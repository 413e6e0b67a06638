// A national DEM mosaic for bench/national.sh: a virtual raster of TILES x TILES tiles of
// CELLS x CELLS cells (default 20 x 20 tiles of 5000 x 5000 cells at 5 m: 100,000 x 100,000 cells,
// 500 km a side, in Lambert-93), of which only 16 distinct files exist. The terrain repeats in
// blocks of 4 x 4 tiles: tile (r, c) is tile (r mod 4, c mod 4) of the block, and the VRT
// places each of the 16 files at every position it stands for. Inside a block the ground is
// continuous: a straight valley through the block's centre (the corner where four tiles meet),
// falling to the east-south-east, holding a meandering river in a channel, a floodplain and
// steep sides. The river's reach, 20 km long (end to end) and centred on that corner in the
// block at the mosaic's middle, is written as a GeoPackage line.
//
// The valley is shaped for one flood: the channel is 40 m wide (`--width 40`) and 1.5 m deep,
// the floodplain rises 0.75 m over its 3 km, and the sides rise 20 m a kilometre. A water layer
// of 2.5 m above the bed stands 1 m above the banks: it covers the floodplain and stops within
// about 100 m up the sides, about 2.9 km north and south of the reach's bounding box. A window
// of the reach's box plus 2 km is therefore too small for that flood and one plus 4 km holds
// it. FOLDER/flood_options.txt holds those options.
//
// The geometry is in metres and does not depend on the sizes, so that a coarser pixel gives the
// same valley on fewer cells (4 x 4 tiles of 1000 x 1000 cells at 25 m for a quick run).
// FOLDER is made whole under a temporary name and appears only when complete.
//
// Usage: make_mosaic FOLDER [--cells CELLS] [--tiles TILES] [--pixel METRES]
#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal.h>
#include <gdal_vrt.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr double kNoData = -9999.0;
constexpr int kBlockTiles = 4;  // the terrain repeats every 4 x 4 tiles
constexpr double kOriginX = 400000.0, kOriginY = 7000000.0;  // the mosaic's top-left corner (EPSG:2154)

// The valley, in metres, relative to a block's centre.
constexpr double kAxisEast = 3.0, kAxisNorth = -1.0;  // downstream: east-south-east
constexpr double kTopLevel = 150.0;                      // the floodplain's foot at the block's centre
constexpr double kValleySlope = 0.0001;                  // along the valley
constexpr double kChannelHalfWidth = 20.0, kChannelDepth = 1.5;
constexpr double kPlainWidth = 3000.0, kPlainSlope = 0.00025, kSideSlope = 0.02;
constexpr double kMeanderAmplitude = 300.0, kMeanderLength = 8000.0;
constexpr double kReachHalfLength = 10000.0;  // the reach's ends, along the valley; the meander runs
                                              // parallel to the valley there
constexpr double kReachStep = 50.0;           // between the centreline's vertices
constexpr double kNeededHalfBlock = 20000.0;  // the reach, its flood and an 8 km margin fit in a block
constexpr const char* kFloodOptions = "--width 40 --layer 2.5\n";

struct Sizes {
    int cells = 5000;   // a tile's side
    int tiles = 20;     // tiles along a side of the mosaic
    double pixel = 5.0; // metres
    long long side() const { return static_cast<long long>(cells) * tiles; }
    double block_half() const { return 2.0 * cells * pixel; }
};

// Every failure ends the program through main, which removes the unfinished folder.
[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what);
}

void check(bool ok, const std::string& what) {
    if (!ok) fail(what + ": " + CPLGetLastErrorMsg());
}

struct DatasetCloser {
    void operator()(GDALDatasetH h) const { GDALClose(h); }
};
using Dataset = std::unique_ptr<std::remove_pointer_t<GDALDatasetH>, DatasetCloser>;
struct SrsDestroyer {
    void operator()(OGRSpatialReferenceH h) const { OSRDestroySpatialReference(h); }
};
using Srs = std::unique_ptr<std::remove_pointer_t<OGRSpatialReferenceH>, SrsDestroyer>;

// Closes `ds`, failing when GDAL reports a failure of its last writes.
void close_checked(Dataset& ds, const std::string& path) {
    CPLErrorReset();
    ds.reset();
    check(CPLGetLastErrorType() < CE_Failure, "cannot write " + path);
}

Srs lambert93() {
    Srs srs(OSRNewSpatialReference(nullptr));
    check(srs != nullptr && OSRImportFromEPSG(srs.get(), 2154) == OGRERR_NONE, "cannot make EPSG:2154");
    OSRSetAxisMappingStrategy(srs.get(), OAMS_TRADITIONAL_GIS_ORDER);
    return srs;
}

// A point of the valley in its own frame: `along` downstream from the block's centre, `across`
// to the left of the valley's axis (north-north-east).
struct ValleyPoint {
    double along, across;
};

double meander(double along) {
    return kMeanderAmplitude * std::sin(2.0 * M_PI * along / kMeanderLength);
}

ValleyPoint valley_point(double east, double north) {
    const double norm = std::hypot(kAxisEast, kAxisNorth);
    const double ax = kAxisEast / norm, ay = kAxisNorth / norm;
    return {east * ax + north * ay, north * ax - east * ay};
}

// The map offset from a block's centre of the valley point (along, across).
void valley_to_map(double along, double across, double& east, double& north) {
    const double norm = std::hypot(kAxisEast, kAxisNorth);
    const double ax = kAxisEast / norm, ay = kAxisNorth / norm;
    east = along * ax - across * ay;
    north = along * ay + across * ax;
}

// The ground across the valley, `d` metres from the river's middle.
double cross_section(double d) {
    if (d < kChannelHalfWidth) return -kChannelDepth;
    if (d < kPlainWidth) return kPlainSlope * (d - kChannelHalfWidth);
    return kPlainSlope * (kPlainWidth - kChannelHalfWidth) + kSideSlope * (d - kPlainWidth);
}

double ground(double east, double north) {
    const ValleyPoint p = valley_point(east, north);
    return kTopLevel - kValleySlope * p.along + cross_section(std::fabs(p.across - meander(p.along)));
}

// Tile (r, c) of a block: its cells' ground, written in strips of 256 lines (its block height).
void write_tile_cells(GDALRasterBandH band, const Sizes& s, int r, int c, const std::string& path) {
    const int strip = 256;
    std::vector<float> values(static_cast<size_t>(strip) * s.cells);
    for (int top = 0; top < s.cells; top += strip) {
        const int lines = std::min(strip, s.cells - top);
        for (int i = 0; i < lines; ++i) {
            const double north = s.block_half() - (r * s.cells + top + i + 0.5) * s.pixel;
            for (int j = 0; j < s.cells; ++j) {
                const double east = (c * s.cells + j + 0.5) * s.pixel - s.block_half();
                values[static_cast<size_t>(i) * s.cells + j] = static_cast<float>(ground(east, north));
            }
        }
        check(GDALRasterIO(band, GF_Write, 0, top, s.cells, lines, values.data(), s.cells, lines, GDT_Float32, 0,
                           0) == CE_None,
              "cannot write " + path);
    }
}

// Places `ds` with its top-left cell at cell (line, column) of the mosaic, in EPSG:2154, its
// band in metres with the no-data value.
void place(GDALDatasetH ds, const Sizes& s, long long line, long long column, const std::string& path) {
    double gt[6] = {kOriginX + column * s.pixel, s.pixel, 0.0, kOriginY - line * s.pixel, 0.0, -s.pixel};
    check(GDALSetGeoTransform(ds, gt) == CE_None, "cannot place " + path);
    const Srs srs = lambert93();
    check(GDALSetSpatialRef(ds, srs.get()) == CE_None, "cannot place " + path);
    GDALRasterBandH band = GDALGetRasterBand(ds, 1);
    check(GDALSetRasterNoDataValue(band, kNoData) == CE_None && GDALSetRasterUnitType(band, "m") == CE_None,
          "cannot describe the band of " + path);
}

std::string tile_name(int r, int c) {
    return "tile_" + std::to_string(r) + "_" + std::to_string(c) + ".tif";
}

// Tile (r, c) of the block as a tiled GeoTIFF, placed where it stands in the mosaic's first block.
void write_tile(const std::string& folder, const Sizes& s, int r, int c) {
    const std::string path = folder + "/" + tile_name(r, c);
    const char* options[] = {"TILED=YES", "BLOCKXSIZE=256", "BLOCKYSIZE=256", nullptr};
    Dataset ds(GDALCreate(GDALGetDriverByName("GTiff"), path.c_str(), s.cells, s.cells, 1, GDT_Float32,
                          const_cast<char**>(options)));
    check(ds != nullptr, "cannot create " + path);
    place(ds.get(), s, static_cast<long long>(r) * s.cells, static_cast<long long>(c) * s.cells, path);
    write_tile_cells(GDALGetRasterBand(ds.get(), 1), s, r, c, path);
    close_checked(ds, path);
}

// The VRT of the whole mosaic, each position's source the tile of the block it stands for.
void write_vrt(const std::string& folder, const Sizes& s) {
    std::vector<Dataset> tiles;
    for (int k = 0; k < kBlockTiles * kBlockTiles; ++k) {
        const std::string path = folder + "/" + tile_name(k / kBlockTiles, k % kBlockTiles);
        tiles.emplace_back(GDALOpen(path.c_str(), GA_ReadOnly));
        check(tiles.back() != nullptr, "cannot open " + path);
    }
    const std::string path = folder + "/mosaic.vrt";
    const int side = static_cast<int>(s.side());
    Dataset vrt(GDALCreate(GDALGetDriverByName("VRT"), path.c_str(), side, side, 1, GDT_Float32, nullptr));
    check(vrt != nullptr, "cannot create " + path);
    place(vrt.get(), s, 0, 0, path);
    GDALRasterBandH band = GDALGetRasterBand(vrt.get(), 1);
    for (int r = 0; r < s.tiles; ++r) {
        for (int c = 0; c < s.tiles; ++c) {
            GDALDatasetH tile = tiles[(r % kBlockTiles) * kBlockTiles + c % kBlockTiles].get();
            check(VRTAddSimpleSource(band, GDALGetRasterBand(tile, 1), 0, 0, s.cells, s.cells, c * s.cells,
                                     r * s.cells, s.cells, s.cells, "near", VRT_NODATA_UNSET) == CE_None,
                  "cannot add a source to " + path);
        }
    }
    close_checked(vrt, path);
}

// The reach: the river between its two ends, from upstream, through the middle block's centre.
void write_reach(const std::string& folder, const Sizes& s) {
    const std::string path = folder + "/reach.gpkg";
    Dataset ds(GDALCreate(GDALGetDriverByName("GPKG"), path.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    check(ds != nullptr, "cannot create " + path);
    const Srs srs = lambert93();
    OGRLayerH layer = GDALDatasetCreateLayer(ds.get(), "reach", srs.get(), wkbLineString, nullptr);
    check(layer != nullptr, "cannot create the layer of " + path);
    const double centre_cells = static_cast<double>(s.tiles / kBlockTiles / 2 * kBlockTiles + 2) * s.cells;
    const double cx = kOriginX + centre_cells * s.pixel, cy = kOriginY - centre_cells * s.pixel;
    OGRGeometryH line = OGR_G_CreateGeometry(wkbLineString);
    for (double along = -kReachHalfLength; along <= kReachHalfLength + 1e-6; along += kReachStep) {
        double east = 0.0, north = 0.0;
        valley_to_map(along, meander(along), east, north);
        OGR_G_AddPoint_2D(line, cx + east, cy + north);
    }
    OGRFeatureH feature = OGR_F_Create(OGR_L_GetLayerDefn(layer));
    const bool made = OGR_F_SetGeometryDirectly(feature, line) == OGRERR_NONE &&
                      OGR_L_CreateFeature(layer, feature) == OGRERR_NONE;
    OGR_F_Destroy(feature);
    check(made, "cannot write the reach to " + path);
    close_checked(ds, path);
}

void write_text(const std::string& path, const char* text) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (f == nullptr) fail("cannot create " + path + ": " + std::strerror(errno));
    const bool written = std::fputs(text, f) >= 0;
    if (std::fclose(f) != 0 || !written) fail("cannot write " + path);
}

int positive_int(const char* text, const char* name) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v <= 0 || v > 1000000) fail(std::string("bad ") + name + ": " + text);
    return static_cast<int>(v);
}

Sizes parse_sizes(int argc, char** argv) {
    Sizes s;
    for (int k = 2; k + 1 < argc; k += 2) {
        const std::string name = argv[k];
        if (name == "--cells") {
            s.cells = positive_int(argv[k + 1], "--cells");
        } else if (name == "--tiles") {
            s.tiles = positive_int(argv[k + 1], "--tiles");
        } else if (name == "--pixel") {
            s.pixel = std::atof(argv[k + 1]);
        } else {
            fail("unknown option " + name);
        }
    }
    if (argc % 2 != 0) fail("an option without its value");
    if (s.tiles < kBlockTiles) fail("--tiles must be at least 4: the terrain repeats every 4 x 4 tiles");
    if (s.side() > 2000000000LL) fail("the mosaic's side must fit a GDAL raster's size");
    if (!(s.pixel > 0.0) || s.block_half() < kNeededHalfBlock) {
        fail("2 x CELLS x PIXEL must be at least " + std::to_string(static_cast<int>(kNeededHalfBlock)) +
             " m: a block must hold the reach, its flood and the windows around it");
    }
    return s;
}

// The mosaic's files, written into `partial`.
void write_mosaic(const std::string& partial, const Sizes& s) {
    for (int r = 0; r < kBlockTiles; ++r) {
        for (int c = 0; c < kBlockTiles; ++c) write_tile(partial, s, r, c);
    }
    write_vrt(partial, s);
    write_reach(partial, s);
    write_text(partial + "/flood_options.txt", kFloodOptions);
}

// Gives `partial` the mode a new folder has under the umask and renames it to `folder`, which
// must not have appeared meanwhile.
void commit(const std::string& partial, const std::string& folder) {
    const mode_t mask = umask(0);
    umask(mask);
    if (chmod(partial.c_str(), 0777 & ~mask) != 0 ||
        renameat2(AT_FDCWD, partial.c_str(), AT_FDCWD, folder.c_str(), RENAME_NOREPLACE) != 0) {
        fail("cannot rename " + partial + " to " + folder + ": " + std::strerror(errno));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_mosaic FOLDER [--cells CELLS] [--tiles TILES] [--pixel METRES]\n");
        return 2;
    }
    std::string partial;
    try {
        const Sizes s = parse_sizes(argc, argv);
        const std::string folder = argv[1];
        if (access(folder.c_str(), F_OK) == 0) fail(folder + " exists");
        partial = folder + ".partial.XXXXXX";
        if (mkdtemp(partial.data()) == nullptr) {
            partial.clear();
            fail("cannot create a folder beside " + folder + ": " + std::strerror(errno));
        }
        GDALAllRegister();
        write_mosaic(partial, s);
        commit(partial, folder);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_mosaic: %s\n", e.what());
        std::error_code ignored;
        if (!partial.empty()) std::filesystem::remove_all(partial, ignored);
        return 1;
    }
}
