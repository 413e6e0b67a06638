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
#include "text.h"

namespace {

constexpr int kChannelLines = 41, kChannelCols = 200, kAxis = 20;
constexpr double kPixel = 10, kSlope = 0.001, kManning = 0.035;

// A cross-section: a flat bottom of 2 * half_bottom + 1 cells, and banks that rise `rise` metres
// a cell (from half a cell's rise at the first bank cell: the bank's foot lies on the bottom's
// edge) up to 20 m above the bed, or walls of `wall` metres above it (a rectangle) with a flat
// plain of `plain` cells on top, beyond which the ground stands 10 m above the bed.
struct Section {
    int half_bottom = 10;
    double rise = 0, wall = 10;
    int plain = 0;

    double bank(int k) const {  // k: cells beyond the bottom's edge
        if (k <= 0) return 0;
        if (rise > 0) return std::min(20.0, (k - 0.5) * rise);
        return k <= plain ? wall : 10;
    }
    std::vector<double> metres() const {
        std::vector<double> m;
        for (int i = 0; i < kChannelLines; ++i) {
            for (int j = 0; j < kChannelCols; ++j) m.push_back(100 - 0.01 * j + bank(std::abs(i - kAxis) - half_bottom));
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
        }
        const std::string csv = read_file(dir / "out/rating.csv");
        EXPECT_EQ(csv.substr(0, csv.find('\n')),
                  "layer_m,stage_from_m,stage_to_m,area_m2,perimeter_m,hydraulic_radius_m,slope,discharge_m3s");
        EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 4) << csv;
        EXPECT_TRUE(file_exists(dir / "out/rating.svg"));
    }
}
