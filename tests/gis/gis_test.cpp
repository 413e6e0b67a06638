// tarvex-gis on rasters and vectors made here with GDAL's API: imports, a tarvex run, exports,
// statistics and pictures, checked value by value, and every error with its exit status.
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "commands.h"
#include "flood_options.h"
#include "map_decor.h"
#include "map_layout.h"
#include "map_terrain.h"
#include "maps.h"
#include "gis_support.h"
#include "picture_support.h"
#include "stop.h"

TEST(GisImport, AGeoTiffDemRoundTripsWithItsValuesAndGeoreferencing) {
    TempDir dir;
    const double nodata = -9999;
    make_geotiff(dir / "dem.tif", GDT_Float32, kDemMetres, &nodata);
    RunResult r = gis({"import-dem", "dem.tif", "valley", "--unit", "dm"}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string raw = read_file(dir / "valley_m4.raw");
    ASSERT_EQ(raw.size(), 80u);
    // Decimetres, as the dialog converts the same altitudes typed (9.625 m is 96.25 dm: 96).
    const std::vector<int> expected = {200, 100, 50, 99, 200, 200, 96, 50, 94, 200,  //
                                       200, 200, 50, 84, 80,  200, 70, 50, 74, 2147483647};
    EXPECT_EQ(raw, int_raster(expected));
    EXPECT_EQ(read_file(dir / "valley_m4.txt"), "4\n5\n4\n50\n200\n10\n");

    // The ENVI sidecar lets GDAL read the raw file itself, with the same values and place.
    Opened envi = open_with_gdal(dir / "valley_m4.raw");
    expect_georeferenced(envi);
    for (std::size_t k = 0; k < expected.size(); ++k) EXPECT_EQ(envi.cells[k], expected[k]) << k;

    r = gis({"export", "valley_m4.raw", "back.tif", "--like", "valley_m4.raw"}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    Opened back = open_with_gdal(dir / "back.tif");
    expect_georeferenced(back);
    EXPECT_EQ(back.compression, "DEFLATE");
    for (std::size_t k = 0; k < expected.size(); ++k) EXPECT_EQ(back.cells[k], expected[k]) << k;
}

// An imported altitude becomes DEM units as the dialog converts the same number typed: the
// exact product, truncated toward zero. 9.6 is stored just below 9.6 (95.999... dm), 9.9 just
// above; a single-precision value counts as the decimal it stands for. A band's scale, offset
// and vertical unit bring its values to metres first, and the metres count as the decimal they
// stand for too: 96 x 0.1 is 9.6 m, 959 cm as the dialog gives for 9.6.
TEST(GisImport, AltitudesBecomeDemUnitsAsTheDialogConvertsThem) {
    TempDir dir;
    const std::vector<double> metres = {9.6, 100.3, 9.9, -0.29, 123.45, 7.0};
    const struct {
        GDALDataType type;
        const char* unit;
        std::vector<int> expected;
        std::vector<double> stored = {};  // the values in the file, when not `metres`
        double scale = 1, offset = 0;
        const char* z_unit = "";  // in the file
        std::vector<std::string> options = {};
    } cases[] = {
        {GDT_Float64, "dm", {95, 1002, 99, -2, 1234, 70}},
        {GDT_Float32, "dm", {95, 1002, 99, -2, 1234, 70}},  // 9.6f is 9.6000003815: still 95
        {GDT_Float32, "cm", {959, 10029, 990, -28, 12345, 700}},
        {GDT_Float64, "m", {9, 100, 9, 0, 123, 7}},
        {GDT_Int16, "cm", {959, 10029, 990, -29, 12350, 700}, {96, 1003, 99, -3, 1235, 70}, 0.1},
        {GDT_Int16, "cm", {959, 10029, 990, -29, 12350, 700}, {-4, 903, -1, -103, 1135, -30}, 0.1, 10},
        // 31.5 ft is 9.6012 m and 10000 ft 3048 m; 10000 US survey feet are 3048.006096 m.
        {GDT_Float32, "mm", {9601, 30480, -304, 304, 0, 3048000}, {31.5, 100, -1, 1, 0, 10000}, 1, 0, "foot"},
        {GDT_Float32, "mm", {9601, 30480, -304, 304, 0, 3048000}, {31.5, 100, -1, 1, 0, 10000}, 1, 0, "m",
         {"--z-unit", "ft"}},
        {GDT_Float64, "mm", {9601, 30480, -304, 304, 0, 3048006}, {31.5, 100, -1, 1, 0, 10000}, 1, 0, "ftUS"},
        {GDT_Float64, "mm", {9601, 30480, -304, 304, 0, 3048006}, {31.5, 100, -1, 1, 0, 10000}, 1, 0, "furlong",
         {"--z-unit", "us-ft"}},
    };
    for (const auto& k : cases) {
        make_geotiff(dir / "d.tif", k.type, k.stored.empty() ? metres : k.stored, nullptr, 1, 6);
        set_band_units(dir / "d.tif", k.scale, k.offset, k.z_unit);
        std::vector<std::string> args = {"import-dem", "d.tif", "d", "--unit", k.unit, "--overwrite"};
        args.insert(args.end(), k.options.begin(), k.options.end());
        RunResult r = gis(args, dir);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(read_file(dir / "d_m4.raw"), int_raster(k.expected)) << k.unit << " " << GDALGetDataTypeName(k.type);
    }
}

TEST(GisImport, VectorLayersAreBurntOnTheDemGrid) {
    TempDir dir;
    make_geotiff(dir / "dem.tif", GDT_Float32, kDemMetres, nullptr);
    ASSERT_EQ(gis({"import-dem", "dem.tif", "valley", "--unit", "m"}, dir).status, 0);
    // A rectangle over columns 1 and 2 of lines 0 to 2, and a line along line 3.
    make_vector(dir / "river.geojson", wkbPolygon,
                {"POLYGON ((500010 4800000,500030 4800000,500030 4799970,500010 4799970,500010 4800000))"});
    make_vector(dir / "centre.geojson", wkbLineString, {"LINESTRING (500005 4799965,500045 4799965)"});
    RunResult r = gis({"import-mask", "river.geojson", "mask", "--like", "valley_m4.raw"}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file(dir / "mask.raw"),
              byte_raster({0, 1, 1, 0, 0, 0, 1, 1, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(read_file(dir / "mask.txt"), "4\n5\n1\n0\n255\n10\n");
    expect_georeferenced(open_with_gdal(dir / "mask.raw"));
    r = gis({"import-skeleton", "centre.geojson", "skel", "--like", "valley_m4.raw"}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file(dir / "skel.raw"), byte_raster({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1}));
}

TEST_F(FloodedCase, TheDepthExportHoldsMetresWhereWetAndNoDataWhereDry) {
    RunResult r = gis({"export", base() + "_tarvex_m4.raw", "depth.tif", "--like", folder() + "dem_m4.raw", "--depth",
                       folder() + "dem_m4.raw", "--unit", "dm"},
                      dir);
    ASSERT_EQ(r.status, 0) << r.err;
    Opened depth = open_with_gdal(dir / "depth.tif");
    expect_georeferenced(depth);
    const double N = -9999;
    const std::vector<double> expected = {N, 0.5, 5.5, 0.6, N,  //
                                          N, 0.9, 4.5, 0.1, N,  //
                                          N, N,   3.5, 0.1, 0.5,  //
                                          N, 0.5, 2.5, 0.1, N};
    for (std::size_t k = 0; k < expected.size(); ++k) EXPECT_NEAR(depth.cells[k], expected[k], 1e-5) << k;
    // A cell the extent leaves dry has no depth, whatever level the flooded DEM gives it.
    std::string extent = read_file(base() + "_tarvex.raw");
    extent[1] = 0;
    write_file(base() + "_tarvex.raw", extent);
    r = gis({"export", base() + "_tarvex_m4.raw", "dry.tif", "--like", folder() + "dem_m4.raw", "--depth",
             folder() + "dem_m4.raw", "--unit", "dm"},
            dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(open_with_gdal(dir / "dry.tif").cells[1], N);
}

TEST_F(FloodedCase, StatisticsCountTheFloodBeyondTheRiverMask) {
    RunResult r = gis({"stats", base(), "--dem", folder() + "dem_m4.raw", "--unit", "dm", "--json"}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    // Eight cells beside the river, 100 m2 each, 3.3 m of depth in all, the deepest 0.9 m.
    const std::vector<std::pair<const char*, double>> figures = {{"flooded_cells", 8}, {"flooded_area_m2", 800},
        {"flood_volume_m3", 330}, {"greatest_depth_m", 0.9}, {"mean_depth_m", 0.413}};
    for (const auto& [name, value] : figures) EXPECT_DOUBLE_EQ(json_member(r.out, name).ToDouble(), value) << r.out;
    r = gis({"stats", base(), "--dem", folder() + "dem_m4.raw", "--unit", "dm"}, dir);
    EXPECT_NE(r.out.find("flood volume                   330.000 m3"), std::string::npos) << r.out;
}

// The flood covers the grid but its first column: with its margin the map shows all 5 x 4
// cells, 120 pixels a cell, whether the flood's box or the whole grid is asked for.
TEST_F(FloodedCase, TheMapShowsTheDepthWhereWetTheGroundWhereDryAndThePathBetweenItsEnds) {
    const double N = NAN;
    const double depth[4][5] = {{N, 0.5, 5.5, 0.6, N}, {N, 0.9, 4.5, 0.1, N}, {N, N, 3.5, 0.1, 0.5}, {N, 0.5, 2.5, 0.1, N}};
    const DepthRamp ramp = depth_ramp(5.5);
    const MapLayout l = map_layout(kLines, kCols, CellBox{}, true);
    for (const char* extent : {"flood", "full"}) {
        RunResult r = gis({"render", base(), "map.png", "--unit", "dm", "--extent", extent, "--overwrite"}, dir);
        ASSERT_EQ(r.status, 0) << r.err;
        const Picture p = read_png(dir / "map.png");
        ASSERT_TRUE(p.read);
        EXPECT_EQ(p.width, 720);
        EXPECT_EQ(p.height, 48 + 480 + 116);
        auto at = [&](int i, int j) { return p.at(l.map.x + 120 * j + 60, l.map.y + 120 * i + 60); };
        for (int i = 0; i < kLines; ++i) {
            for (int j : {0, 1, 3, 4}) {
                const Rgb c = ramp.colour(static_cast<float>(depth[i][j]));
                if (std::isnan(depth[i][j])) {
                    EXPECT_TRUE(at(i, j).grey()) << i << " " << j << ": dry ground is grey";
                } else {
                    EXPECT_TRUE(at(i, j).near(pixel_of(c))) << i << " " << j << ": " << depth[i][j] << " m";
                }
            }
        }
        // The path down column 2, from the report's upper point to its lower point.
        EXPECT_TRUE(at(0, 2).near(pixel_of(kUpperEnd)));
        EXPECT_TRUE(at(1, 2).near(pixel_of(kPathColour)));
        EXPECT_TRUE(at(2, 2).near(pixel_of(kPathColour)));
        EXPECT_TRUE(at(3, 2).near(pixel_of(kLowerEnd)));
    }
    // Pixel for pixel the map of the depths derived by hand, in metres: the legend's labels
    // and the scale bar too.
    const double ground[4][5] = {
        {20, 10, 5, 9.9, 20}, {20, 9.6, 5, 9.4, 20}, {20, 20, 5, 8.4, 8}, {20, 7, 5, 7.4, N}};
    MapSource m;
    m.lines = kLines;
    m.cols = kCols;
    m.pixel_m = pixel;
    m.read_line = [&](int i, float* g, float* d) {
        for (int j = 0; j < kCols; ++j) {
            g[j] = static_cast<float>(ground[i][j]);
            d[j] = static_cast<float>(depth[i][j]);
        }
    };
    m.path = {{0, 2}, {1, 2}, {2, 2}, {3, 2}};
    m.from = {0, 2};
    m.to = {3, 2};
    m.title = "Flood depth: out";
    draw_flood_map(m, dir / "expected.png");
    EXPECT_EQ(read_png(dir / "map.png").rgb, read_png(dir / "expected.png").rgb);
    // The same map as a PDF of one page and an SVG, by the output's name.
    ASSERT_EQ(gis({"render", base(), "map.pdf", "--unit", "dm"}, dir).status, 0);
    const std::string pdf = read_file(dir / "map.pdf");
    EXPECT_TRUE(pdf.rfind("%PDF-", 0) == 0 && pdf.find("/Count 1\n") != std::string::npos);
    ASSERT_EQ(gis({"render", base(), "map.svg", "--unit", "dm"}, dir).status, 0);
    const std::string svg = read_file(dir / "map.svg");
    EXPECT_NE(svg.find("width=\"720px\" height=\"644px\""), std::string::npos);
    // The cells are squares of the map's own pixels, not 5 x 4 pixels a viewer would smooth.
    EXPECT_NE(svg.find("<image id=\"image1\" width=\"600\" height=\"480\""), std::string::npos);
    RunResult r = gis({"render", base(), "half.png", "--extent", "half"}, dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("unknown extent 'half': use flood or full"), std::string::npos) << r.err;
}

// The path runs down column 2 from line 0 to line 3: 30 m of 10 m pixels, the water 7.5 to
// 10.5 m high over ground at 5 m.
TEST_F(FloodedCase, TheProfileFollowsThePathInMetresWithTheGroundUnderTheWater) {
    ASSERT_EQ(gis({"profile", base(), "profile.svg", "--unit", "dm"}, dir).status, 0);
    const std::string svg = read_file(dir / "profile.svg");
    const auto ground = svg_curve(svg, pixel_of(kGroundLine)), surface = svg_curve(svg, pixel_of(kSurfaceLine));
    // Straight lines here (the ground flat, the water falling evenly), drawn between their ends.
    ASSERT_TRUE(ground.size() >= 2 && surface.size() >= 2);
    EXPECT_GT(ground.front().second, surface.front().second) << "the ground is drawn below the water";
    EXPECT_GT(ground.back().second, surface.back().second);
    EXPECT_LT(surface.front().second, surface.back().second) << "the water falls downstream";
    const std::vector<double> ticks = svg_x_grid(svg);  // every 5 m from 0 to the path's end at 30 m
    ASSERT_EQ(ticks.size(), 7u);
    EXPECT_DOUBLE_EQ(ticks.back(), surface.back().first);
    // The same plot as a PNG, by the output's name.
    ASSERT_EQ(gis({"profile", base(), "profile.PNG", "--unit", "dm"}, dir).status, 0);
    EXPECT_EQ(read_png(dir / "profile.PNG").width, 1190);

    // A table that is not the traced path's, and a report whose point lies outside the grid
    // (which the tracing would follow out of it), are refused.
    const std::string table = base() + "_tarvex.xls", report = base() + "_tarvex.txt";
    write_file(table, read_file(table) + "5\t70\t5\t75\n");
    RunResult r = gis({"profile", base(), "more.svg", "--unit", "dm"}, dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("has 4 cells where " + table + " has 5 lines"), std::string::npos) << r.err;
    const std::string text = read_file(report);
    const std::size_t at = text.find("Starting point : i = 0");
    ASSERT_NE(at, std::string::npos) << text;
    write_file(report, text.substr(0, at) + "Starting point : i = 40" + text.substr(at + 22));
    for (const char* command : {"profile", "render"}) {
        r = gis({command, base(), std::string("outside.") + (command[0] == 'p' ? "svg" : "png"), "--unit", "dm"}, dir);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("gives a point outside its grid: Starting point : i = 40 j = 2"), std::string::npos)
            << r.err;
    }
}

// Every failure leaves the folder as it was: no output, no temporary, no input changed.
TEST(GisErrors, EachFailureSaysWhatIsWrongAndExitsNonZero) {
    TempDir dir;
    make_geotiff(dir / "dem.tif", GDT_Float32, kDemMetres, nullptr);
    make_geotiff(dir / "small.tif", GDT_Byte, {0, 1, 1, 0}, nullptr, 2, 2);
    ASSERT_EQ(gis({"import-dem", "dem.tif", "valley", "--unit", "m"}, dir).status, 0);
    make_vector(dir / "lines.geojson", wkbLineString, {"LINESTRING (500005 4799965,500045 4799965)"});
    const double nodata = -9999;
    make_geotiff(dir / "empty.tif", GDT_Float32, std::vector<double>(kLines * kCols, nodata), &nodata);
    make_geotiff(dir / "zeros.tif", GDT_Byte, std::vector<double>(kLines * kCols, 0), nullptr);
    make_geotiff(dir / "furlong.tif", GDT_Float32, kDemMetres, nullptr);
    set_band_units(dir / "furlong.tif", 1, 0, "furlong");
    make_geotiff(dir / "flat.tif", GDT_Float32, kDemMetres, nullptr);
    set_band_units(dir / "flat.tif", 0, 0, "m");
    make_vector(dir / "none.geojson", wkbPolygon, {});
    make_vector(dir / "far.geojson", wkbPolygon, {"POLYGON ((0 0,10 0,10 10,0 10,0 0))"});
    make_vrt(dir / "rotated.vrt", kCols, kLines, "EPSG:32631", "500000, 10, 1, 4800000, 0, -10");
    // Two million lines and columns declared in a few bytes: 14.6 TiB of altitudes.
    make_vrt(dir / "huge.vrt", 2000000, 2000000, "EPSG:32631", "500000, 10, 0, 4800000, 0, -10");
    make_vrt(dir / "huge_mask.vrt", 2000000, 2000000, "EPSG:32631", "500000, 10, 0, 4800000, 0, -10", "Byte");
    std::filesystem::create_directories(dir / "folder_m4.raw");
    std::filesystem::create_directories(dir / "special");
    for (const char* fifo : {"special/fifo.tif", "special/fifo_m4.raw", "special/side.tif.aux.xml"}) {
        ASSERT_EQ(mkfifo((dir / fifo).c_str(), 0600), 0);
    }
    std::filesystem::copy_file(dir / "dem.tif", dir / "special/side.tif");
    write_file(dir / "wide_tarvex.txt", "1\n1000001\n1\n0\n255\n1\n");  // a run one line wide
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {{"import-dem", "missing.tif", "x", "--unit", "m"}, 1, "no such file: missing.tif"},
        {{"import-mask", "dem.tif", "x"}, 1, "wrong band type"},
        {{"import-mask", "small.tif", "x", "--like", "valley_m4.raw"}, 1, "the sizes differ"},
        {{"import-mask", "lines.geojson", "x", "--like", "valley_m4.raw"}, 1, "wrong geometry type"},
        {{"import-mask", "lines.geojson", "x"}, 1, "needs --like"},
        {{"import-dem", "dem.tif", "valley", "--unit", "m"}, 1, "exists already: add --overwrite"},
        {{"import-dem", "dem.tif", "x", "--unit", "ft"}, 1, "unknown unit 'ft'"},
        {{"import-dem", "furlong.tif", "x", "--unit", "m"},
         1,
         "furlong.tif gives its altitudes in 'furlong', a unit tarvex-gis does not know: give it with --z-unit m, "
         "ft or us-ft"},
        {{"import-dem", "dem.tif", "x", "--unit", "m", "--z-unit", "yard"}, 1, "--z-unit is m, ft or us-ft, not 'yard'"},
        {{"import-dem", "flat.tif", "x", "--unit", "m"},
         1,
         "flat.tif gives its values a scale of 0 and an offset of 0: they cannot be altitudes"},
        {{"export", "valley_m4.raw", "out.tif", "--like", "small.tif"}, 1, "the sizes differ"},
        {{"stats", "nothing", "--dem", "valley_m4.raw", "--unit", "m"}, 1, "no such file: nothing_tarvex.txt"},
        {{"import-dem", "dem.tif"}, 2, "wrong number of arguments"},
        {{"import-dem", "dem.tif", "x"}, 2, "--unit is required"},
        {{"render", "a", "b.png", "--colour", "red"}, 2, "unknown option --colour"},
        {{"flow", "everything"}, 2, "unknown command flow"},
        {{"import-dem", "empty.tif", "empty", "--unit", "m"},
         1,
         "empty.tif holds no valid altitude: every cell is no data"},
        {{"import-mask", "zeros.tif", "zeros"}, 1, "zeros.tif sets no cell: every cell is 0 or no data"},
        {{"import-mask", "none.geojson", "none", "--like", "valley_m4.raw"}, 1, "layer shapes has no features"},
        {{"import-mask", "far.geojson", "far", "--like", "valley_m4.raw"},
         1,
         "the features of far.geojson set no cell of the grid of valley_m4.raw: they lie outside it"},
        {{"import-dem", "dem.tif", "nodata1", "--unit", "m", "--nodata", "1e300"}, 1, "--nodata needs a whole number"},
        {{"import-dem", "dem.tif", "nodata2", "--unit", "m", "--nodata", "nan"}, 1, "--nodata needs a whole number"},
        {{"import-dem", "rotated.vrt", "rotated", "--unit", "m"}, 1, "rotated grids are not supported"},
        {{"import-dem", "huge.vrt", "huge1", "--unit", "m"},
         1,
         "not enough disk space: huge1_m4.raw and the files beside it need 14.6 TiB"},
        {{"import-mask", "huge_mask.vrt", "huge2"},
         1,
         "not enough disk space: huge2.raw and the files beside it need 3.6 TiB"},
        {{"import-skeleton", "lines.geojson", "huge3", "--like", "huge.vrt"}, 1, "not enough disk space: huge3.raw"},
        {{"export", "folder_m4.raw", "out.tif", "--like", "valley_m4.raw"},
         1,
         "folder_m4.raw is a folder, not a raster file"},
        {{"import-dem", "special/fifo.tif", "fifo1", "--unit", "m"},
         1,
         "special/fifo.tif is not a regular file (it is a FIFO)"},
        {{"import-mask", "special/fifo.tif", "fifo2"}, 1, "special/fifo.tif is not a regular file (it is a FIFO)"},
        {{"export", "special/fifo_m4.raw", "out.tif", "--like", "valley_m4.raw"},
         1,
         "is not a regular file (it is a FIFO)"},
        {{"import-dem", "special/side.tif", "side", "--unit", "m"},
         1,
         "side.tif.aux.xml is not a regular file (it is a FIFO)"},
        {{"render", "wide", "wide.png"}, 1, "a picture of 1000001 x 1 pixels is too large: a PNG map is at most"},
        {{"render", "wide", "wide.jpg"}, 1, "cannot tell the picture's format from the name wide.jpg: end it in .png"},
        {{"profile", "wide", "wide"}, 1, "cannot tell the picture's format from the name wide: end it in .png"},
    };
    for (const Case& c : cases) {
        const Snapshot before(dir.path());
        RunResult r = gis(c.args, dir);
        EXPECT_EQ(r.status, c.status) << c.args[0] << " " << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_TRUE(before.unchanged()) << c.message << ": the folder changed";
    }
    EXPECT_EQ(gis({"import-dem", "dem.tif", "valley", "--unit", "m", "--overwrite"}, dir).status, 0);
    RunResult help = gis({"render", "--help"}, dir);
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: tarvex-gis render RESULT_BASE OUT"), std::string::npos);
    RunResult version = gis({"--version"}, dir);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("tarvex-gis ") + TARVEX_VERSION + "\n");
}

// A file that exists but cannot be read is named with the reason, not as missing or as no
// raster. Root reads any file: the command then runs as nobody, through setpriv.
TEST(GisErrors, AnUnreadableInputSaysWhy) {
    TempDir dir;
    std::vector<std::string> prefix;
    if (geteuid() == 0) {
        if (!file_exists("/usr/bin/setpriv")) GTEST_SKIP() << "running as root without setpriv";
        prefix = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        std::filesystem::permissions(dir.path(), std::filesystem::perms(0755));
    }
    make_geotiff(dir / "dem.tif", GDT_Float32, kDemMetres, nullptr);
    std::filesystem::permissions(dir / "dem.tif", std::filesystem::perms::none);
    const RunResult r = GisProcess({"import-dem", "dem.tif", "x", "--unit", "m"}, dir.path(), 0, prefix).wait();
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot open dem.tif: Permission denied"), std::string::npos) << r.err;
}

// Every value is read as its option's type, strictly: each kind of bad value is refused naming
// the option and the value, and a good value beside it is taken.
TEST(OptionDeclarations, EachValueIsCheckedAsItsTypeAndAGoodOneBesideABadOneIsTaken) {
    const struct {
        const char* command;
        const char* option;
        const char* bad;
        const char* message;
        const char* good;
    } cases[] = {
        {"flood", "--width", "-3", "--width needs a width above 0 metres, not '-3'", "0.5"},
        {"flood", "--width", "0", "--width needs a width above 0 metres, not '0'", "1e-3"},
        {"flood", "--level-from", "12m", "--level-from needs a number, not '12m'", "-12.5"},
        {"flood", "--level-to", "0x1p3", "--level-to needs a number, not '0x1p3'", "+8."},
        {"flood", "--level-to", "inf", "--level-to needs a number, not 'inf'", ".5e1"},
        {"flood", "--level-to", "1e999", "--level-to needs a number, not '1e999'", "1e300"},
        {"flood", "--level-to", " 5", "--level-to needs a number, not ' 5'", "5"},
        {"flood", "--jobs", "0", "--jobs needs a whole number from 1 to 1024, not '0'", "1024"},
        {"batch", "--jobs", "2.5", "--jobs needs a whole number from 1 to 1024, not '2.5'", "2.0"},
        {"import-dem", "--nodata", "2147483648", "--nodata needs a whole number within 32 bits, not '2147483648'",
         "-2147483648"},
        {"flood", "--from", "1", "--from needs X,Y (numbers separated by commas), not '1'", "1,2"},
        {"flood", "--to", "1,y", "--to needs a number, not 'y'", "-1,2e3"},
        {"flood", "--layer", "1,2,3", "--layer needs M[,M] (numbers separated by commas), not '1,2,3'", "1,2"},
        {"flood", "--wave", "100,1,5", "--wave needs HALF_LENGTH_M,HEIGHT_M[,X,Y] (numbers separated by commas)",
         "100,1,5,6"},
        {"flood", "--layers", "0:2", "--layers needs FROM:TO:STEP, not '0:2'", "0:2:0.5"},
        {"flood", "--layers", "2:0:1", "--layers needs FROM <= TO and a STEP above 0, not '2:0:1'", "2:2:1"},
        {"flood", "--layers", "0:2:0", "--layers needs FROM <= TO and a STEP above 0, not '0:2:0'", "0:2:3"},
        {"flood", "--rules", "wild", "--rules is sound or described, not 'wild'", "described"},
        {"flood", "--surface", "Bed", "--surface is bed or straight, not 'Bed'", "straight"},
        {"import-dem", "--z-unit", "yard", "--z-unit is m, ft or us-ft, not 'yard'", "us-ft"},
        {"flood", "--unit", "ft", "unknown unit 'ft': use m, dm, cm or mm", "mm"},
        {"render", "--extent", "half", "unknown extent 'half': use flood or full", "full"},
        {"flood", "--overwrite", "yes", "--overwrite is a switch: it takes no value, not 'yes'", ""},
        {"flood", "--mask", "", "--mask needs MASK, not an empty text", "m.tif"},
    };
    for (const auto& k : cases) {
        const Option* o = gis_command(k.command)->find(k.option);
        ASSERT_NE(o, nullptr) << k.option;
        try {
            check_value(*o, k.bad);
            ADD_FAILURE() << k.option << " " << k.bad << " was taken";
        } catch (const Stop& stop) {
            EXPECT_NE(std::string(stop.what()).find(k.message), std::string::npos) << stop.what();
        }
        EXPECT_NO_THROW(check_value(*o, k.good)) << k.option << " " << k.good;
    }
}

// What is not given takes its default; the flood's options become its typed struct, and what
// it keeps for the replayed command is what was given, defaults left out.
TEST(OptionDeclarations, DefaultsAreAppliedAndTheFloodsOptionsBecomeTyped) {
    const OptionValues render(*gis_command("render"), {});
    EXPECT_EQ(render.text("--unit"), "m");
    EXPECT_EQ(render.text("--extent"), "flood");
    EXPECT_EQ(OptionValues(*gis_command("profile"), {}).text("--unit"), "");  // the DEM's units
    EXPECT_EQ(OptionValues(*gis_command("import-dem"), {{"--unit", "cm"}}).whole("--nodata"), 2147483647);
    const std::map<std::string, std::string> library = {
        {"--dem", "d.tif"}, {"--river", "r.gpkg"}, {"--out", "o"}, {"--width", "30"}, {"--layers", "0:1:0.25"}};
    const FloodOptions f = flood_options(OptionValues(flood_declaration(), library));
    EXPECT_EQ(f.unit, "cm");
    EXPECT_EQ(f.extent, "flood");
    EXPECT_TRUE(f.rules == SpreadRules::sound && f.surface == SurfaceProfile::bed && !f.beyond_ends);
    EXPECT_EQ(f.width, 30);
    EXPECT_EQ(f.levels, (std::vector<std::string>{"0", "0.25", "0.5", "0.75", "1"}));
    EXPECT_EQ(f.given, library);
    const FloodOptions g = flood_options(OptionValues(
        flood_declaration(), {{"--dem", "d.tif"}, {"--river", "r.gpkg"}, {"--out", "o"}, {"--mask", "m.tif"},
                              {"--from", "1,2"}, {"--level-to", "5"}, {"--layer", "1,2"}, {"--wave", "100,2,3,4"},
                              {"--rules", "described"}, {"--surface", "straight"}, {"--beyond-ends", ""}}));
    EXPECT_TRUE(g.has_from && !g.has_to && g.from_x == 1 && g.from_y == 2);
    EXPECT_TRUE(!g.has_level_from && g.has_level_to && g.level_to == 5);
    EXPECT_TRUE(g.layer && g.layer_from == 1 && g.layer_to == 2);
    EXPECT_TRUE(g.wave && g.wave_placed && g.wave_half_m == 100 && g.wave_height_m == 2 && g.wave_y == 4);
    EXPECT_TRUE(g.rules == SpreadRules::described && g.surface == SurfaceProfile::straight && g.beyond_ends);
}

// The words of a command line: options by name (also as --name=value), the rest positionals;
// what does not match the declaration is a usage error.
TEST(OptionDeclarations, CommandLinesAreSplitAsTheirCommandDeclaresThem) {
    const CommandLine line =
        split_command_line(*gis_command("render"), {"a", "--unit=dm", "b.png", "--overwrite", "--extent", "full"});
    EXPECT_EQ(line.positionals, (std::vector<std::string>{"a", "b.png"}));
    EXPECT_EQ(line.given, (std::map<std::string, std::string>{{"--extent", "full"}, {"--overwrite", ""}, {"--unit", "dm"}}));
    const struct {
        const char* command;
        std::vector<std::string> words;
        const char* message;
    } refused[] = {
        {"render", {"a", "b", "--colour", "red"}, "unknown option --colour"},
        {"render", {"a", "b", "--overwrite=yes"}, "--overwrite is a switch: it takes no value"},
        {"render", {"a", "b", "--unit"}, "--unit needs a value"},
        {"render", {"a"}, "wrong number of arguments"},
        {"merge", {"--out", "o"}, "wrong number of arguments"},
        {"import-dem", {"a", "b"}, "--unit is required"},
    };
    for (const auto& k : refused) {
        try {
            split_command_line(*gis_command(k.command), k.words);
            ADD_FAILURE() << k.message;
        } catch (const UsageError& error) {
            EXPECT_EQ(std::string(error.what()), k.message);
        }
    }
}

// The usage texts come from the declarations: each command's --help lists every option it
// takes, with its default, and the overview every command.
TEST(OptionDeclarations, EachCommandsHelpListsEveryOptionAndTheOverviewEveryCommand) {
    TempDir dir;
    const RunResult overview = gis({"--help"}, dir);
    EXPECT_EQ(overview.status, 0);
    for (const CommandDecl& c : gis_commands()) {
        EXPECT_NE(overview.out.find("\n" + c.name + " "), std::string::npos) << c.name;
        const RunResult help = gis({c.name, "--help"}, dir);
        EXPECT_EQ(help.status, 0);
        for (const Option& o : c.options) {
            const std::size_t at = help.out.find("\n    " + o.name + " ");
            EXPECT_NE(at, std::string::npos) << c.name << " " << o.name << "\n" << help.out;
            if (o.fallback.empty()) continue;
            EXPECT_NE(help.out.find("default " + o.fallback, at), std::string::npos) << c.name << " " << o.name;
        }
    }
}
