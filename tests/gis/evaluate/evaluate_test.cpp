// tarvex-gis evaluate end to end: floods of a generated valley scored against observed floods
// whose overlap with them is known, and the contingency scores' arithmetic.
//
// The valley: 40 x 60 cells of 10 m in UTM zone 31 north, a channel at 95 m on lines 19 to 21,
// a plain at 96 m on lines 15 to 25 and a terrace at 97 m on lines 12 to 14 and 26 to 28 (both
// over columns 5 to 55), high ground at 100 m elsewhere, and no data in cell (0, 0). A layer of
// 1.5 m floods the plain and channel: lines 15 to 25, columns 5 to 55 (561 cells).
#include <gtest/gtest.h>
#include <ogr_srs_api.h>

#include <cstdio>

#include "agreement.h"
#include "agreement_map.h"
#include "gis_support.h"
#include "picture_support.h"

namespace {

constexpr int kValleyLines = 40, kValleyCols = 60;
constexpr double kNoData = -9999;
// The DEM's name needs quoting on a command line: the folder's record of the run must give it back.
const std::string kDem = "valley dem's.tif";

std::vector<double> valley() {
    std::vector<double> m;
    for (int i = 0; i < kValleyLines; ++i) {
        for (int j = 0; j < kValleyCols; ++j) {
            const bool along = j >= 5 && j <= 55;
            if (i >= 19 && i <= 21 && j >= 4 && j <= 56) {
                m.push_back(95);
            } else if (along && i >= 15 && i <= 25) {
                m.push_back(96);
            } else if (along && i >= 12 && i <= 28) {
                m.push_back(97);
            } else {
                m.push_back(100);
            }
        }
    }
    m[0] = kNoData;
    return m;
}

// A box of cells, its lines and columns inclusive.
struct Box {
    int top, left, bottom, right;
    bool holds(int i, int j) const { return i >= top && i <= bottom && j >= left && j <= right; }
    // Its outline in UTM metres: the cells' outer edges.
    std::vector<std::pair<double, double>> corners() const {
        const double x0 = kTransform[0] + left * 10.0, x1 = kTransform[0] + (right + 1) * 10.0;
        const double y0 = kTransform[3] - top * 10.0, y1 = kTransform[3] - (bottom + 1) * 10.0;
        return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
    }
};

// The observed flood: most of the plain, and a patch the map misses on high ground.
const Box kObservedPlain{16, 10, 24, 50}, kObservedMissed{30, 10, 31, 14};

std::string utm_polygon(const Box& b) {
    std::string wkt = "POLYGON ((";
    for (const auto& [x, y] : b.corners()) wkt += std::to_string(x) + " " + std::to_string(y) + ",";
    wkt.back() = ')';
    return wkt + ")";
}

// The boxes as a GeoJSON layer of polygons in longitude and latitude.
std::string geographic_polygons(const std::vector<Box>& boxes) {
    OGRSpatialReferenceH utm = OSRNewSpatialReference(utm_wkt().c_str()), geo = OSRNewSpatialReference(nullptr);
    OSRImportFromEPSG(geo, 4326);
    OSRSetAxisMappingStrategy(geo, OAMS_TRADITIONAL_GIS_ORDER);
    OSRSetAxisMappingStrategy(utm, OAMS_TRADITIONAL_GIS_ORDER);
    OGRCoordinateTransformationH t = OCTNewCoordinateTransformation(utm, geo);
    std::string features;
    for (const Box& b : boxes) {
        std::string ring;
        for (auto [x, y] : b.corners()) {
            EXPECT_TRUE(OCTTransform(t, 1, &x, &y, nullptr));
            char point[64];
            std::snprintf(point, sizeof point, "[%.12f,%.12f]", x, y);
            ring += (ring.empty() ? "" : ",") + std::string(point);
        }
        features += std::string(features.empty() ? "" : ",") +
                    "{\"type\":\"Feature\",\"properties\":{},\"geometry\":{\"type\":\"Polygon\",\"coordinates\":[[" +
                    ring + "]]}}";
    }
    OCTDestroyCoordinateTransformation(t);
    OSRDestroySpatialReference(utm);
    OSRDestroySpatialReference(geo);
    return "{\"type\":\"FeatureCollection\",\"features\":[" + features + "]}";
}

struct Evaluate : ::testing::Test {
    TempDir dir;
    void SetUp() override {
        make_geotiff(dir / kDem, GDT_Float32, valley(), &kNoData, kValleyLines, kValleyCols);
        make_vector(dir / "river.geojson", wkbLineString, {"LINESTRING (500055 4799795,500555 4799795)"});
    }
    RunResult flood(const std::string& layer, const std::string& out, const std::vector<std::string>& extra = {}) {
        std::vector<std::string> args = {"flood", "--dem", kDem, "--river", "river.geojson", "--width", "30", "--out", out,
                                         layer.find(':') == std::string::npos ? "--layer" : "--layers", layer};
        args.insert(args.end(), extra.begin(), extra.end());
        return gis(args, dir);
    }
    // A Byte raster on the valley's grid, 1 in the boxes.
    void observed_raster(const std::string& name, const std::vector<Box>& boxes) {
        std::vector<double> cells;
        for (int i = 0; i < kValleyLines; ++i) {
            for (int j = 0; j < kValleyCols; ++j) {
                bool in = false;
                for (const Box& b : boxes) in = in || b.holds(i, j);
                cells.push_back(in ? 1 : 0);
            }
        }
        make_geotiff(dir / name, GDT_Byte, cells, nullptr, kValleyLines, kValleyCols);
    }
    RunResult evaluate(const std::vector<std::string>& extra) {
        std::vector<std::string> args = {"evaluate"};
        args.insert(args.end(), extra.begin(), extra.end());
        return gis(args, dir);
    }
    std::string json(const std::string& path) const { return read_file(dir / path); }
};

double member(const std::string& json, const std::string& object, const std::string& name) {
    return json_member(json, object).GetDouble(name, -1);
}

// The counts of evaluation.json, true positives first.
std::vector<double> counts(const std::string& json) {
    return {member(json, "cells", "true_positive"), member(json, "cells", "false_positive"),
            member(json, "cells", "false_negative"), member(json, "cells", "true_negative")};
}

}  // namespace

TEST_F(Evaluate, AKnownOverlapGivesTheCountsAndScoresByHandInEveryOutput) {
    ASSERT_EQ(flood("1.5", "flood").status, 0);
    const Opened extent = open_with_gdal(dir / "flood/extent.tif");
    for (int k = 0; k < kValleyLines * kValleyCols; ++k) {  // the flood the figures below count on
        const bool flooded = Box{15, 5, 25, 55}.holds(k / kValleyCols, k % kValleyCols);
        ASSERT_EQ(extent.cells[k], flooded ? 1 : 0) << k;
    }
    observed_raster("observed.tif", {kObservedPlain, kObservedMissed});
    const RunResult r = evaluate({"--flood", "flood", "--benchmark", "observed.tif", "--out", "eval"});
    ASSERT_EQ(r.status, 0) << r.err;
    // Observed 9 x 41 = 369 cells of the plain, all mapped; the map's other 192 cells are false
    // positives; the 10 cells on high ground false negatives; the domain is every cell but the
    // one without data.
    const std::string e = json("eval/evaluation.json");
    EXPECT_EQ(counts(e), (std::vector<double>{369, 192, 10, 2399 - 369 - 192 - 10}));
    EXPECT_DOUBLE_EQ(member(e, "areas_m2", "false_positive"), 19200);
    EXPECT_NEAR(member(e, "scores", "csi"), 369.0 / 571, 1e-6);
    EXPECT_NEAR(member(e, "scores", "pod"), 369.0 / 379, 1e-6);
    EXPECT_NEAR(member(e, "scores", "far"), 192.0 / 561, 1e-6);
    EXPECT_NEAR(member(e, "scores", "bias"), 561.0 / 379, 1e-6);
    EXPECT_DOUBLE_EQ(member(e, "domain", "cells"), 2399);
    EXPECT_NE(r.out.find("CSI 0.646, POD 0.974, FAR 0.342, bias 1.480"), std::string::npos) << r.out;

    const Opened classes = open_with_gdal(dir / "eval/agreement.tif");
    auto at = [&classes](int i, int j) { return classes.cells[static_cast<std::size_t>(i) * kValleyCols + j]; };
    EXPECT_EQ(at(0, 0), 255);   // no data: outside the domain
    EXPECT_EQ(at(5, 5), 0);     // dry in both
    EXPECT_EQ(at(30, 12), 1);   // observed only
    EXPECT_EQ(at(15, 30), 2);   // mapped only
    EXPECT_EQ(at(20, 30), 3);   // both
    EXPECT_TRUE(same_srs(classes.wkt, utm_wkt()));

    const Picture png = read_png(dir / "eval/agreement.png");
    ASSERT_TRUE(png.read);
    for (const unsigned char* c : {kFalseNegativeRgb, kFalsePositiveRgb, kTruePositiveRgb}) {
        EXPECT_GT(png.count(Picture::Pixel{c[0], c[1], c[2]}, 0, 0, png.width, png.height), 100) << int(c[0]);
    }
}

TEST_F(Evaluate, PolygonsInAnotherCoordinateSystemScoreAsTheRasterAndADomainLimitsTheCounts) {
    ASSERT_EQ(flood("1.5", "flood").status, 0);
    write_file(dir / "observed.geojson", geographic_polygons({kObservedPlain, kObservedMissed}));
    RunResult r = evaluate({"--flood", "flood", "--benchmark", "observed.geojson", "--out", "eval"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(counts(json("eval/evaluation.json")), (std::vector<double>{369, 192, 10, 1828}));

    // The left half (columns 0 to 29): 1199 cells with data, 25 x 11 mapped, 20 x 9 of them
    // observed, and the 10 missed.
    make_vector(dir / "left.geojson", wkbPolygon, {utm_polygon(Box{0, 0, 39, 29})});
    r = evaluate({"--flood", "flood", "--benchmark", "observed.geojson", "--domain", "left.geojson", "--out", "left"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string e = json("left/evaluation.json");
    EXPECT_EQ(counts(e), (std::vector<double>{180, 95, 10, 1199 - 180 - 95 - 10}));
    EXPECT_DOUBLE_EQ(member(e, "domain", "cells"), 1199);
    EXPECT_EQ(open_with_gdal(dir / "left/agreement.tif").cells[20 * kValleyCols + 40], 255);  // right of the domain
    // On the map the cells outside the domain are blank, as ground without data is drawn.
    const Picture png = read_png(dir / "left/agreement.png");
    EXPECT_GT(png.count(Picture::Pixel{250, 250, 250}, 0, 0, png.width, png.height), 10000);
}

TEST_F(Evaluate, ALibrarysLevelsAreEachScoredAndTheBestByCsiNamed) {
    // At 0.5 m only the channel floods, at 1.5 m the plain too, at 2.5 m the terrace as well:
    // observed the plain, the middle level is the best.
    ASSERT_EQ(flood("0.5:2.5:1", "library").status, 0);
    observed_raster("plain.tif", {Box{15, 5, 25, 55}});
    const RunResult r = evaluate({"--flood", "library", "--benchmark", "plain.tif", "--out", "eval"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string e = json("eval/evaluation.json");
    EXPECT_DOUBLE_EQ(member(e, "best", "layer_m"), 1.5) << e;
    EXPECT_EQ(json_member(e, "best").GetString("folder"), "layer_1.5");
    EXPECT_DOUBLE_EQ(member(e, "best", "csi"), 1);
    const CPLJSONArray levels = json_member(e, "levels").ToArray();
    ASSERT_EQ(levels.Size(), 3);
    EXPECT_LT(levels[0].GetObj("scores").GetDouble("csi"), 1);
    EXPECT_LT(levels[2].GetObj("scores").GetDouble("csi"), 1);
    for (const char* level : {"layer_0.5", "layer_1.5", "layer_2.5"}) {
        const std::string own = json("eval/" + std::string(level) + "/evaluation.json");
        EXPECT_EQ(json_member(own, "flood").ToString(), "library/" + std::string(level));
        EXPECT_TRUE(file_exists(dir / ("eval/" + std::string(level) + "/agreement.png")));
    }
    EXPECT_NE(r.out.find("best        layer 1.5 m (layer_1.5), CSI 1.000"), std::string::npos) << r.out;
}

TEST_F(Evaluate, WhatCannotBeScoredIsRefusedAndNothingIsWritten) {
    ASSERT_EQ(flood("1.5", "flood").status, 0);
    // Under the console program's rules the run holds its own copy of the DEM's window, the
    // cells past the cuts at the ends made high ground in it.
    std::vector<std::string> console = {"--rules", "described", "--surface", "straight"};
    ASSERT_EQ(flood("1.5", "cut", console).status, 0);
    console.push_back("--beyond-ends");
    ASSERT_EQ(flood("1.5", "console", console).status, 0);
    observed_raster("observed.tif", {kObservedPlain});
    observed_raster("nothing.tif", {});
    make_geotiff(dir / "small.tif", GDT_Float32, kDemMetres, nullptr);
    const Snapshot before(dir.path() + "/flood");
    struct Case {
        std::vector<std::string> args;
        const char* said;
    };
    const std::vector<Case> cases = {
        {{"--flood", "river.geojson", "--benchmark", "observed.tif"}, "is not a folder"},
        {{"--flood", "nowhere", "--benchmark", "observed.tif"}, "no such file: nowhere"},
        {{"--flood", ".", "--benchmark", "observed.tif"}, "is not the folder of a flood"},
        {{"--flood", "flood", "--benchmark", "nothing.tif"}, "sets no cell"},
        {{"--flood", "flood", "--benchmark", "observed.tif", "--dem", "small.tif"}, "is not the DEM flood was flooded on"},
        {{"--flood", "cut", "--benchmark", "observed.tif"}, "holds high ground past them"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--out", "eval"});
        const RunResult r = evaluate(args);
        EXPECT_EQ(r.status, 1) << c.said;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
        EXPECT_FALSE(file_exists(dir / "eval")) << c.said;
    }
    const RunResult inside = evaluate({"--flood", "flood", "--benchmark", "observed.tif", "--out", "flood/eval"});
    EXPECT_NE(inside.err.find("lies in the folder flood it evaluates"), std::string::npos) << inside.err;
    const Snapshot flood_kept(dir.path() + "/console");
    const RunResult over = evaluate({"--flood", "flood", "--benchmark", "observed.tif", "--out", "console", "--overwrite"});
    EXPECT_NE(over.err.find("console is an output of tarvex-gis flood, not of tarvex-gis evaluate"), std::string::npos)
        << over.err;
    EXPECT_TRUE(flood_kept.unchanged());
    EXPECT_TRUE(before.unchanged());
    // The DEM moved away: the folder names it, and --dem gives it back.
    std::rename((dir / kDem).c_str(), (dir / "moved.tif").c_str());
    RunResult r = evaluate({"--flood", "flood", "--benchmark", "observed.tif", "--out", "eval"});
    EXPECT_NE(r.err.find("was flooded on the DEM " + kDem + ", which is not found from here"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("give it with --dem DEM"), std::string::npos) << r.err;
    r = evaluate({"--flood", "flood", "--benchmark", "observed.tif", "--dem", "moved.tif", "--out", "eval"});
    EXPECT_EQ(r.status, 0) << r.err;
    r = evaluate({"--flood", "console", "--benchmark", "observed.tif", "--out", "console-eval"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_DOUBLE_EQ(member(json("console-eval/evaluation.json"), "domain", "cells"), 2399);
}

TEST(AgreementScores, ScoresFollowTheirFormulasAndHaveNoValueWithoutADenominator) {
    struct Row {
        std::int64_t tp, fp, fn;
        double csi, pod, far, bias;  // -1: no value
    };
    const Row rows[] = {
        {6, 2, 4, 0.5, 0.6, 0.25, 0.8},
        {0, 0, 0, -1, -1, -1, -1},  // nothing flooded anywhere
        {0, 5, 0, 0, -1, 1, -1},    // nothing observed
        {0, 0, 5, 0, 0, -1, 0},     // nothing mapped
    };
    for (const Row& row : rows) {
        Contingency c;
        c.cells = {100, row.fn, row.fp, row.tp};
        const Scores s = scores_of(c);
        const Score* got[4] = {&s.csi, &s.pod, &s.far, &s.bias};
        const double want[4] = {row.csi, row.pod, row.far, row.bias};
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(got[k]->value.has_value(), want[k] >= 0) << row.tp << " " << row.fp << " " << row.fn << " " << k;
            if (got[k]->value) {
                EXPECT_DOUBLE_EQ(*got[k]->value, want[k]) << k;
            }
            EXPECT_EQ(got[k]->why_none.empty(), want[k] >= 0) << k;
        }
    }
    EXPECT_EQ(agreement_of(false, true, true), kOutsideDomain);
    EXPECT_EQ(agreement_of(true, false, true), kFalseNegative);
    EXPECT_EQ(agreement_of(true, true, false), kFalsePositive);
}
