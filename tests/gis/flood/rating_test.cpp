// The rating curve and the floods of a discharge, end to end, on prismatic channels generated
// here: a straight channel along line 20 of a 41 x 200 grid of 10 m pixels, its bed falling
// 1 cm a column (a slope of 0.001) from 100 m at column 0, its centreline from column 5 to
// column 194 (1890 m). The hand figures come from the channel's shape, as a hydraulics
// textbook gives them; the rating curve measures the wet cells.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "gis_support.h"
#include "picture_support.h"
#include "text.h"

namespace {

constexpr int kChannelLines = 41, kChannelCols = 200, kAxis = 20;
constexpr double kPixel = 10, kSlope = 0.001, kManning = 0.035;

// A cross-section along the channel: a flat bottom of 2 * half_bottom + 1 cells, and banks that rise `rise` metres
// a cell (from half a cell's rise at the first bank cell: the bank's foot lies on the bottom's
// edge) up to 20 m above the bed, or walls of `wall` metres above it (a rectangle) with a flat
// plain of `plain` cells on top, beyond which the ground stands 10 m above the bed.
struct Section {
    int half_bottom = 10;
    double rise = 0, wall = 10;
    int plain = 0;
    double fall = 0.01;  // the bed's, a column

    double bank(int k) const {  // k: cells beyond the bottom's edge
        if (k <= 0) return 0;
        if (rise > 0) return std::min(20.0, (k - 0.5) * rise);
        return k <= plain ? wall : 10;
    }
    std::vector<double> metres() const {
        std::vector<double> m;
        for (int i = 0; i < kChannelLines; ++i) {
            for (int j = 0; j < kChannelCols; ++j) m.push_back(100 - fall * j + bank(std::abs(i - kAxis) - half_bottom));
        }
        return m;
    }
};

// Manning's discharge of a trapezoid (a rectangle when m = 0) with bottom width b, side slopes m
// horizontal to 1 vertical and depth h, on the channel's slope.
double manning(double b, double m, double h) {
    const double area = (b + m * h) * h, perimeter = b + 2 * h * std::sqrt(1 + m * m);
    return area * std::pow(area / perimeter, 2.0 / 3.0) * std::sqrt(kSlope) / kManning;
}

struct Rating : ::testing::Test {
    TempDir dir;
    void make(const Section& s) {
        make_geotiff(dir / "dem.tif", GDT_Float32, s.metres(), nullptr, kChannelLines, kChannelCols);
        const double y = kTransform[3] - (kAxis + 0.5) * kPixel;
        make_vector(dir / "river.geojson", wkbLineString,
                    {strf("LINESTRING (%f %f,%f %f)", kTransform[0] + 5.5 * kPixel, y, kTransform[0] + 194.5 * kPixel, y)});
    }
    RunResult flood(const std::vector<std::string>& extra) {
        std::vector<std::string> args = {"flood", "--dem", "dem.tif", "--river", "river.geojson", "--width", "50",
                                         "--out", "out"};
        args.insert(args.end(), extra.begin(), extra.end());
        return gis(args, dir);
    }
    CPLJSONArray levels() const { return json_member(read_file(dir / "out/library.json"), "levels").ToArray(); }
    CPLJSONObject found() const { return json_member(read_file(dir / "out/stats.json"), "discharge"); }
};

}  // namespace

TEST_F(Rating, TheCurveOfPrismaticChannelsIsManningsDischargeOfTheirSection) {
    struct Case {
        Section section;
        double bottom_m, side_slope, first_layer_m;  // the levels: the first layer, twice it, three times
    };
    const Case cases[] = {
        {Section{10, 0, 10, 0}, 210, 0, 1},  // a rectangle 210 m wide, its walls 10 m high
        // A trapezoid 50 m at the bottom, banks of 2 in 1: the water's edge at a cell's edge.
        {Section{2, 5, 0, 0}, 50, 2, 5},
    };
    for (const Case& c : cases) {
        make(c.section);
        const double h0 = c.first_layer_m;
        const RunResult r = flood({"--layers", strf("%g:%g:%g", h0, 3 * h0, h0), "--overwrite"});
        ASSERT_EQ(r.status, 0) << r.err;
        const CPLJSONArray l = levels();
        ASSERT_EQ(l.Size(), 3);
        for (int k = 0; k < 3; ++k) {
            const double h = (k + 1) * h0, hand = manning(c.bottom_m, c.side_slope, h);
            EXPECT_NEAR(l[k].GetDouble("discharge_m3s"), hand, 0.02 * hand) << c.bottom_m << " m, layer " << h;
            EXPECT_NEAR(l[k].GetDouble("slope"), kSlope, 1e-5);
            EXPECT_NEAR(l[k].GetDouble("hydraulic_radius_m"), l[k].GetDouble("area_m2") / l[k].GetDouble("perimeter_m"),
                        1e-3);
        }
        // rating.svg: the curve through the three levels, rising, each level marked.
        const std::string svg = read_file(dir / "out/rating.svg");
        std::size_t points = 0, marks = 0;
        for (const SvgPath& p : svg_paths(svg)) {
            if (p.stroke == Picture::Pixel{31, 95, 208} && p.points.size() > points) points = p.points.size();
            marks += p.fill == Picture::Pixel{31, 95, 208} ? 1 : 0;
        }
        EXPECT_EQ(points, 3u);
        EXPECT_GE(marks, 3u);
        const std::string csv = read_file(dir / "out/rating.csv");
        EXPECT_EQ(csv.substr(0, csv.find('\n')),
                  "layer_m,stage_from_m,stage_to_m,area_m2,perimeter_m,hydraulic_radius_m,slope,discharge_m3s");
        EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 4) << csv;
    }
}

// Each run of the search is a flood of the reach; the one found carries the discharge asked
// within the tolerance, at the layer that carries it in the rectangle by hand (within the 1 %
// the curve keeps to Manning's there), and gives the flood again as a run at its layer. In
// millimetres a unit of the layer changes the discharge by 0.1 %, which the tolerance allows.
TEST_F(Rating, ADischargeFindsTheLayerThatCarriesIt) {
    make(Section{});
    const double asked = manning(210, 0, 1.5);
    const RunResult r = flood({"--discharge", strf("%.3f", asked), "--unit", "mm"});
    ASSERT_EQ(r.status, 0) << r.err;
    const CPLJSONObject d = found();
    EXPECT_NEAR(d.GetDouble("reached_m3s"), asked, 0.005 * asked);
    EXPECT_NEAR(d.GetDouble("layer_m"), 1.5, 0.015);
    EXPECT_EQ(d.GetString("found_by"), "bisection");
    EXPECT_GE(d.GetInteger("runs"), 3);  // 1 m and 2 m bracket it, and halving goes on from there
    const std::string stats = read_file(dir / "out/stats.json");
    EXPECT_NEAR(json_member(stats, "layer_from_m").ToDouble(), d.GetDouble("layer_m"), 5e-4);
    EXPECT_EQ(json_member(stats, "warnings").ToArray().Size(), 0) << stats;
    EXPECT_NE(r.out.find(strf("  discharge   %g m3/s asked, %.3f m3/s reached at a layer of %.4f m (bisection, %d runs",
                              std::stod(strf("%.3f", asked)), d.GetDouble("reached_m3s"), d.GetDouble("layer_m"),
                              d.GetInteger("runs"))),
              std::string::npos)
        << r.out;
    const std::string again = json_member(read_file(dir / "out/run/scenario.json"), "command").ToString();
    EXPECT_NE(again.find("--layer "), std::string::npos) << again;
    EXPECT_EQ(again.find("--discharge"), std::string::npos) << again;
}

// A library maps each discharge through its curve, linearly in the layer between the levels
// around it, and floods it at that layer (in whole units of the run) beside the levels.
TEST_F(Rating, ALibraryMapsItsDischargesThroughItsCurve) {
    make(Section{});
    const RunResult r = flood({"--layers", "1:3:1", "--discharges", "400,1000"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string library = read_file(dir / "out/library.json");
    const CPLJSONArray l = levels(), d = json_member(library, "discharges").ToArray();
    ASSERT_EQ(d.Size(), 2);
    for (int k = 0; k < 2; ++k) {
        const double q = k == 0 ? 400 : 1000, q1 = l[k].GetDouble("discharge_m3s"), q2 = l[k + 1].GetDouble("discharge_m3s");
        const double layer = k + 1 + (q - q1) / (q2 - q1);
        EXPECT_NEAR(d[k].GetDouble("layer_m"), std::round(layer * 100) / 100, 1e-9) << q;  // in whole cm
        EXPECT_EQ(d[k].GetString("folder"), strf("discharge_%g", q));
        const CPLJSONObject flood = json_member(read_file(dir / ("out/discharge_" + strf("%g", q) + "/stats.json")), "discharge");
        EXPECT_EQ(flood.GetString("found_by"), "rating curve");
        EXPECT_EQ(flood.GetInteger("runs"), 1);  // the level the curve gives, run once
        // The curve bends between the levels: the flood carries a discharge between theirs.
        EXPECT_GT(flood.GetDouble("reached_m3s"), q1);
        EXPECT_LT(flood.GetDouble("reached_m3s"), q2);
    }
    EXPECT_NE(r.out.find("  discharge 400 m3/s: a layer of "), std::string::npos) << r.out;
}

TEST_F(Rating, WhatNoCurveOrNoLayerCanGiveIsRefusedWithItsFigures) {
    struct Case {
        double fall;
        std::vector<std::string> args;
        std::string refusal;
    };
    const Case cases[] = {
        {0, {"--discharge", "100"},
         "no rating curve: the carved bed falls 0.000 m over the 1890 m of the reach (from 100.000 m at the upper end to "
         "100.000 m at the lower), and Manning's formula needs a slope above 0: check the reach's ends"},
        {0, {"--discharge", "100", "--surface", "straight", "--level-from", "100", "--level-to", "100"},
         "the straight surface falls 0.000 m over the 1890 m of the reach (from 100.000 m at the upper end to 100.000 "
         "m at the lower), and Manning's formula needs a slope above 0: give levels that fall"},
        {0, {"--layers", "1:2:1", "--discharges", "100"}, "cannot map --discharges: no rating curve: the carved bed"},
        {0.01, {"--discharge", "1e7"}, "a discharge of 1e+07 m3/s is beyond the reach of the flood: a layer of 32 m carries"},
        {0.01, {"--layers", "1:2:1", "--discharges", "400,5000"},
         "a discharge of 5000 m3/s lies outside the library's rating curve (189.324 to 601.067 m3/s)"},
        {0.01, {"--discharge", "100", "--layer", "1"}, "give it without --layer, --layers and --wave"},
        {0.01, {"--discharges", "100", "--layer", "1"}, "--discharges reads the rating curve of a library"},
        {0.01, {"--discharge", "0"}, "--discharge needs a discharge above 0 m3/s"},
    };
    for (const Case& c : cases) {
        Section s;
        s.fall = c.fall;
        make(s);
        const RunResult r = flood(c.args);
        EXPECT_EQ(r.status, 1) << c.refusal;
        EXPECT_NE(r.err.find(c.refusal), std::string::npos) << r.err;
        EXPECT_FALSE(file_exists(dir / "out"));
    }
}

// Past the channel's rim the water spreads thin over a plain: the section widens far more than
// it deepens and carries less. A flat bed gives no curve at all, and the library says why.
TEST_F(Rating, ACurveThatFallsIsWarnedOfAndAFlatBedHasNone) {
    make(Section{2, 0, 1, 12});  // a channel 50 m wide and 1 m deep in a plain 120 m wide on each side
    RunResult r = flood({"--layers", "0.9:1.1:0.1"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string falls = "the discharge does not rise with the level: ";
    EXPECT_NE(r.err.find("tarvex-gis: warning: " + falls), std::string::npos) << r.err;
    CPLJSONArray warnings = json_member(read_file(dir / "out/library.json"), "warnings").ToArray();
    ASSERT_EQ(warnings.Size(), 1);
    EXPECT_NE(warnings[0].ToString().find(falls), std::string::npos);
    EXPECT_NE(warnings[0].ToString().find("at a layer of 1 m"), std::string::npos) << warnings[0].ToString();

    Section flat;
    flat.fall = 0;
    make(flat);
    r = flood({"--layers", "1:2:1", "--overwrite"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("tarvex-gis: warning: no rating curve: the carved bed falls 0.000 m"), std::string::npos) << r.err;
    warnings = json_member(read_file(dir / "out/library.json"), "warnings").ToArray();
    ASSERT_EQ(warnings.Size(), 1);
    EXPECT_FALSE(file_exists(dir / "out/rating.csv"));
    EXPECT_FALSE(levels()[0].GetObj("discharge_m3s").IsValid());
}

// A batch row with a discharge and no layers is the flood of that discharge; with layers, its
// library maps the discharges of the cell.
TEST_F(Rating, ABatchRowGivesADischargeOrItsLibrarysDischarges) {
    make(Section{});
    write_file(dir / "manifest.csv", "name,dem,river,width,layers,discharge\n"
                                     "one,dem.tif,river.geojson,50,,370\n"
                                     "lib,dem.tif,river.geojson,50,1:3:1,\"400,1000\"\n"
                                     "none,dem.tif,river.geojson,50,,\n");
    RunResult r = gis({"batch", "manifest.csv", "--out", "batch"}, dir);
    EXPECT_EQ(r.status, 1) << r.err;  // the row giving neither fails alone
    EXPECT_NE(r.err.find("row 2, none failed: the row gives no layers"), std::string::npos) << r.err;
    // In cm, the default unit, the layer found is the nearest whole unit: 1 cm is 1 % of the discharge.
    const std::string one = read_file(dir / "batch/one/stats.json");
    EXPECT_NEAR(json_member(one, "discharge").GetDouble("reached_m3s"), 370, 0.01 * 370);
    const double layer = json_member(one, "discharge").GetDouble("layer_m");
    EXPECT_DOUBLE_EQ(layer * 100, std::round(layer * 100));
    EXPECT_NE(json_member(one, "warnings").ToArray()[0].ToString().find("from the 370 m3/s asked: the nearest a whole "
                                                                        "unit of the layer gives"), std::string::npos)
        << one;
    for (const char* folder : {"discharge_400", "discharge_1000"}) {
        EXPECT_TRUE(file_exists(dir / ("batch/lib/" + std::string(folder) + "/stats.json"))) << folder;
    }
    r = gis({"batch", "manifest.csv", "--out", "batch"}, dir);
    EXPECT_NE(r.out.find("row 0, one: skipped"), std::string::npos) << r.out;
}
