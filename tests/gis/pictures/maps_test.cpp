// Tests of the flood map and the river profile, drawn from made-up grids and profiles and
// checked by their pixels and their SVG elements.
#include <cmath>

#include "hillshade.h"
#include "map_decor.h"
#include "map_layout.h"
#include "map_terrain.h"
#include "maps.h"
#include "gis_support.h"
#include "picture_support.h"
#include "stop.h"

namespace {

using Pixel = Picture::Pixel;

// A valley of 60 lines and 80 columns of 5 m pixels, sloping down to column 40; water stands in
// lines 20 to 29, columns 30 to 49, from 0.1 m deep at the left to 2 m at the right.
constexpr int kValleyLines = 60, kValleyCols = 80;
bool wet(int i, int j) { return i >= 20 && i < 30 && j >= 30 && j < 50; }
double depth_at(int j) { return 0.1 * (j - 29); }

MapSource valley(std::vector<int>* asked = nullptr) {
    MapSource m;
    m.lines = kValleyLines;
    m.cols = kValleyCols;
    m.pixel_m = 5;
    m.read_line = [asked](int i, float* ground, float* depth) {
        if (asked != nullptr) asked->push_back(i);
        for (int j = 0; j < kValleyCols; ++j) {
            ground[j] = static_cast<float>(10 + 0.4 * std::abs(j - 40) + 0.05 * i);
            depth[j] = wet(i, j) ? static_cast<float>(depth_at(j)) : NAN;
        }
    };
    m.title = "Valley flood";
    return m;
}

Picture draw(const MapSource& m, const TempDir& dir) {
    draw_flood_map(m, dir / "map.png");
    return read_png(dir / "map.png");
}

// The picture's pixel at the centre of cell (i, j).
Pixel cell_pixel(const Picture& p, const MapLayout& l, int i, int j) {
    return p.at(l.map.x + static_cast<int>((j - l.window.left + 0.5) * l.scale),
                l.map.y + static_cast<int>((i - l.window.top + 0.5) * l.scale));
}

// The longest run of pixels of colour `c` along a line of the rectangle.
int longest_run(const Picture& p, Pixel c, int x, int y, int w, int h) {
    int longest = 0;
    for (int py = y; py < y + h; ++py) {
        int run = 0;
        for (int px = x; px < x + w; ++px) {
            run = p.at(px, py) == c ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

}  // namespace

TEST(FloodMapLayout, TheFloodsBoxWithAMarginStaysWithinTheGrid) {
    struct Case {
        CellBox flood;
        bool full;
        CellBox expected;
    } cases[] = {
        {{20, 30, 10, 20}, false, {17, 27, 16, 26}},   // a margin of 3 cells each side
        {{0, 0, 2, 2}, false, {0, 0, 5, 5}},           // cut at the grid's corner
        {{10, 0, 50, 60}, false, {4, 0, 56, 66}},      // a tenth of the longer side, 6 cells
        {{20, 30, 10, 20}, true, {0, 0, 60, 80}},      // the whole grid when asked
        {{}, false, {0, 0, 60, 80}},                   // and when nothing is flooded
    };
    for (const Case& c : cases) {
        const CellBox w = map_window(kValleyLines, kValleyCols, c.flood, c.full);
        EXPECT_EQ(std::vector<int>({w.top, w.left, w.lines, w.cols}),
                  std::vector<int>({c.expected.top, c.expected.left, c.expected.lines, c.expected.cols}));
    }
    // Large windows are drawn 2000 pixels long, small ones at least 600 with whole pixels a cell.
    EXPECT_DOUBLE_EQ(map_scale(CellBox{0, 0, 100, 5000}), 0.4);
    EXPECT_DOUBLE_EQ(map_scale(CellBox{0, 0, 26, 16}), 24);
    EXPECT_DOUBLE_EQ(map_scale(CellBox{0, 0, 700, 300}), 1);
}

TEST(FloodMap, DepthIsRampColouredWhereWetAndHillshadedWhereDryWithTheRampInItsLegend) {
    TempDir dir;
    const Picture p = draw(valley(), dir);
    ASSERT_TRUE(p.read);
    // The flood's box, lines 20-29 and columns 30-49, with 3 cells around it at 24 pixels a
    // cell: a map of 624 x 384 pixels under a title band of 48, above a panel of 100.
    const MapLayout l = map_layout(kValleyLines, kValleyCols, CellBox{20, 30, 10, 20}, false);
    EXPECT_EQ(l.map.w, 624);
    EXPECT_EQ(l.map.h, 384);
    EXPECT_EQ(p.width, 720);
    EXPECT_EQ(p.height, 48 + 384 + 116);
    const DepthRamp ramp = depth_ramp(2.0);
    // Shallow water the lightest blue, half the deepest a middle blue, the deepest the darkest.
    EXPECT_TRUE(ramp.colour(0) == (Rgb{222, 235, 247}));
    EXPECT_TRUE(ramp.colour(1.0) == (Rgb{66, 146, 198}));
    EXPECT_TRUE(ramp.colour(2.0) == (Rgb{8, 48, 107}));
    for (int i = l.window.top; i < l.window.top + l.window.lines; ++i) {
        for (int j = l.window.left; j < l.window.left + l.window.cols; ++j) {
            const Pixel c = cell_pixel(p, l, i, j);
            if (wet(i, j)) {
                EXPECT_TRUE(c.near(pixel_of(ramp.colour(depth_at(j))))) << i << " " << j;
            } else {
                EXPECT_TRUE(c.grey()) << i << " " << j << ": dry ground is grey";
            }
        }
    }
    // The legend under the map holds the ramp from its lightest to its darkest colour.
    const int panel = l.map.y + l.map.h;
    for (double d : {0.0, 1.0, 2.0}) {
        EXPECT_GT(p.count(pixel_of(ramp.colour(d)), 0, panel, 300, p.height - panel, 3), 0)
            << d << " m is in the legend";
    }
}

TEST(FloodMap, TheWholeGridWhenAskedAndScaleBarAndNorthArrowInThePanel) {
    TempDir dir;
    MapSource m = valley();
    m.full_extent = true;
    const Picture p = draw(m, dir);
    ASSERT_TRUE(p.read);
    // 80 x 60 cells at 8 pixels a cell.
    EXPECT_EQ(p.width, 720);
    EXPECT_EQ(p.height, 48 + 480 + 116);
    const MapLayout l = map_layout(kValleyLines, kValleyCols, CellBox{}, true);
    EXPECT_TRUE(cell_pixel(p, l, 0, 0).grey());
    EXPECT_LT(cell_pixel(p, l, 0, 0).r, 245) << "the first column's ground is shaded, not left blank";
    EXPECT_TRUE(cell_pixel(p, l, 25, 49).near(pixel_of(depth_ramp(2.0).colour(2.0))));
    const Pixel ink = pixel_of(kInk);
    // The north arrow in the lower right corner.
    EXPECT_GT(p.count(ink, p.width - 80, p.height - 84, 80, 84), 100);
    // The scale bar, right of the legends: 5 m cells at 8 pixels are 0.625 m a pixel, and the
    // longest round length within 170 pixels is 100 m: 160 pixels.
    EXPECT_EQ(longest_run(p, ink, 400, l.map.y + l.map.h + 2, p.width - 480, 80), 160);
    // The map framed in ink, a pixel outside its cells, along its whole top edge.
    EXPECT_EQ(p.count(ink, l.map.x, l.map.y - 1, l.map.w, 1, 40), l.map.w);
}

TEST(FloodMap, ThePathJoinsNeighbouringCellsAndItsEndsAreMarked) {
    TempDir dir;
    MapSource m = valley();
    m.path = {{22, 32}, {23, 33}, {24, 33}, {25, 34}, {25, 44}, {25, 45}};  // a gap between 34 and 44
    m.from = {22, 32};
    m.to = {25, 45};
    const Picture p = draw(m, dir);
    ASSERT_TRUE(p.read);
    const MapLayout l = map_layout(kValleyLines, kValleyCols, CellBox{20, 30, 10, 20}, false);
    EXPECT_TRUE(cell_pixel(p, l, 22, 32).near(pixel_of(kUpperEnd)));
    EXPECT_TRUE(cell_pixel(p, l, 25, 45).near(pixel_of(kLowerEnd)));
    for (auto [i, j] : {std::pair{23, 33}, {24, 33}, {25, 34}}) {
        EXPECT_TRUE(cell_pixel(p, l, i, j).near(pixel_of(kPathColour))) << i << " " << j;
    }
    // Between two cells that do not touch there is no line.
    EXPECT_TRUE(cell_pixel(p, l, 25, 39).near(pixel_of(depth_ramp(2.0).colour(depth_at(39)))));
}

TEST(FloodMap, TheWarningsStandUnderTheTitleAndTheCutsAcrossTheValley) {
    TempDir dir;
    MapSource m = valley();
    m.title = "Vall\xe9" "e";  // not UTF-8: written all the same
    m.cut = {{21, 30}, {22, 30}, {23, 30}};
    m.notes = {"the flood reaches the DEM's edge on 3 cells (north 3, east 0, south 0, west 0): it may go on beyond the "
               "DEM",
               "short"};
    const Picture p = draw(m, dir);
    ASSERT_TRUE(p.read);
    const std::vector<std::string> lines = note_lines(m.notes, 720 - 32, 8);
    ASSERT_EQ(lines.size(), 3u);  // the first note wraps once
    EXPECT_EQ(lines[0].rfind("- the flood", 0), 0u);
    EXPECT_EQ(lines[2], "- short");
    const MapLayout l = map_layout(kValleyLines, kValleyCols, CellBox{20, 30, 10, 20}, false, 3);
    EXPECT_EQ(p.height, 48 + 3 * kNoteLine + 8 + 384 + 116);
    EXPECT_GT(p.count(pixel_of(kTextInk), 0, 48, p.width, 3 * kNoteLine, 40), 300);  // the notes are written
    for (int i : {21, 22, 23}) EXPECT_TRUE(cell_pixel(p, l, i, 30).near(pixel_of(kCutColour))) << i;
    // More lines than allowed: the last one says how many were left out.
    const std::vector<std::string> cut = note_lines({"a", "b", "c", "d"}, 600, 3);
    EXPECT_EQ(cut, (std::vector<std::string>{"- a", "- b", "  (2 more lines in summary.txt)"}));
}

TEST(FloodMap, ReadsTheGridInTwoSweepsOfRisingLinesAndDrawsALargeGridAtMost2000PixelsLong) {
    TempDir dir;
    for (const bool full : {true, false}) {
        std::vector<int> asked;
        MapSource m = valley(&asked);
        m.lines = 3000;  // wet lines 20 to 29 only: the cropped map shows lines 17 to 32
        m.full_extent = full;
        const Picture p = draw(m, dir);
        ASSERT_TRUE(p.read);
        EXPECT_EQ(p.height, 48 + (full ? 2000 : 16 * 24) + 116) << full;
        int sweeps = 1;
        for (std::size_t k = 1; k < asked.size(); ++k) {
            if (asked[k] <= asked[k - 1]) ++sweeps;
        }
        EXPECT_EQ(sweeps, 2) << full;
        EXPECT_TRUE(std::all_of(asked.begin(), asked.end(), [](int i) { return i >= 0 && i < 3000; }));
    }
}

TEST(FloodMap, AFileThatCannotBeWrittenFailsNamingTheOutput) {
    TempDir dir;
    try {
        draw_flood_map(valley(), dir / "missing/.map.123.png", "map.png");
        ADD_FAILURE() << "no failure";
    } catch (const Stop& stop) {
        EXPECT_STREQ(stop.what(), "cannot write map.png: No such file or directory");
    }
    MapSource empty = valley();
    empty.lines = 0;
    EXPECT_THROW(draw_flood_map(empty, dir / "empty.png"), Stop);
    EXPECT_FALSE(file_exists(dir / "empty.png"));
}

namespace {

// A river of 5 cells of 10 m, a diagonal step in the middle, the ground 2 m under the surface.
ProfileSource river_profile() {
    ProfileSource p;
    p.distance_m = {0, 10, 20, 20 + 10 * std::sqrt(2.0), 30 + 10 * std::sqrt(2.0)};
    p.ground_m = {98, 97.4, 97.1, 96.5, 96};  // no three points in a line, which a path would merge
    p.linear_m = {100, 99.6, 99, 98.5, 98};
    p.surface_m = {100.5, 100.2, 100.4, 99.1, 98.6};
    p.title = "Reach <A & B>";
    return p;
}

std::string profile_svg(const ProfileSource& p, const TempDir& dir) {
    draw_profile(p, dir / "profile.svg");
    return read_file(dir / "profile.svg");
}

// The paths filled in `colour`: the marks of that colour.
std::vector<SvgPath> marks(const std::string& svg, Rgb colour) {
    std::vector<SvgPath> found;
    for (const SvgPath& path : svg_paths(svg)) {
        if (path.fill.near(pixel_of(colour), 1)) found.push_back(path);
    }
    return found;
}

}  // namespace

TEST(ProfilePlot, GroundLinearAndSurfaceAgainstDistanceWithTicksAndALegendBesideThePlot) {
    TempDir dir;
    const std::string svg = profile_svg(river_profile(), dir);
    const auto ground = svg_curve(svg, pixel_of(kGroundLine)), linear = svg_curve(svg, pixel_of(kProfileLine));
    const auto surface = svg_curve(svg, pixel_of(kSurfaceLine));
    ASSERT_TRUE(ground.size() == 5 && linear.size() == 5 && surface.size() == 5);
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_GT(ground[k].second, linear[k].second) << k << ": the ground is drawn below the water";
        EXPECT_GT(linear[k].second, surface[k].second) << k;
        EXPECT_DOUBLE_EQ(ground[k].first, surface[k].first);
    }
    // Distance spacing follows the diagonal step: 10, 10, 14.1, 10 m.
    EXPECT_NEAR((surface[3].first - surface[2].first) / (surface[1].first - surface[0].first), std::sqrt(2.0), 0.01);
    // Round ticks from 0, on the plot's left edge, to 40 m, the last at or below the path's 44.1 m.
    const std::vector<double> ticks = svg_x_grid(svg);
    ASSERT_EQ(ticks.size(), 5u);
    EXPECT_DOUBLE_EQ(ticks.front(), surface.front().first);
    EXPECT_NEAR((ticks[4] - ticks[0]) / (surface[4].first - surface[0].first), 40 / (30 + 10 * std::sqrt(2.0)), 1e-3);
    // The legend's box (outlined in grey) stands right of every point of every curve, and every
    // point lies inside the plot's frame (outlined in dark grey).
    const auto boxes = svg_strokes(svg, Pixel{153, 153, 153}), frames = svg_strokes(svg, Pixel{51, 51, 51});
    ASSERT_EQ(boxes.size(), 1u);
    ASSERT_FALSE(frames.empty());
    double top = 1e9, bottom = -1e9;
    for (const auto& corner : frames.front().points) top = std::min(top, corner.second), bottom = std::max(bottom, corner.second);
    for (const auto* curve : {&ground, &linear, &surface}) {
        for (const auto& point : *curve) {
            EXPECT_LT(point.first, boxes.front().points.front().first);
            EXPECT_TRUE(point.second >= top && point.second <= bottom) << point.second << " outside " << top << ".." << bottom;
        }
    }
}

TEST(ProfilePlot, TheSummitMarkedWithAWaveGroundWithoutDataLeftOutAndBadColumnsRefused) {
    TempDir dir;
    ProfileSource p = river_profile();
    EXPECT_TRUE(marks(profile_svg(p, dir), kPathColour).empty()) << "no orange summit without a wave";
    p.summit = 2;
    p.ground_m[1] = NAN;
    const std::string svg = profile_svg(p, dir);
    const auto summit = marks(svg, kPathColour);
    const auto surface = svg_curve(svg, pixel_of(kSurfaceLine));
    ASSERT_EQ(summit.size(), 2u);  // on the plot and in the legend
    EXPECT_NEAR(summit[0].points.front().first, surface[2].first, 0.01) << "the summit's mark is at its point";
    EXPECT_LT(summit[0].points.front().second, surface[2].second) << "it points up from it";
    EXPECT_EQ(svg_curve(svg, pixel_of(kGroundLine)).size(), 4u);
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    p.ground_m.pop_back();
    EXPECT_THROW(draw_profile(p, dir / "a.svg"), Stop);
    EXPECT_THROW(draw_profile(ProfileSource{}, dir / "b.svg"), Stop);
    EXPECT_FALSE(file_exists(dir / "a.svg"));
    ProfileSource one;  // a path of one cell still has a plot, with its ends marked
    one.distance_m = {0};
    one.ground_m = {5};
    one.linear_m = one.surface_m = {6};
    EXPECT_EQ(marks(profile_svg(one, dir), kLowerEnd).size(), 2u);
}

// The name's extension chooses the format, in any case; an SVG drawn again after other
// pictures is the same, byte for byte.
TEST(PictureFormats, ByTheNamesExtensionAndTheSameSvgEachTime) {
    TempDir dir;
    EXPECT_EQ(picture_format("a/map.PNG"), PictureFormat::png);
    EXPECT_EQ(picture_format("profile.svg"), PictureFormat::svg);
    EXPECT_EQ(picture_format("x.y.Pdf"), PictureFormat::pdf);
    for (const char* name : {"map.jpg", "map", "maps.svg/map", "map.png.txt"}) EXPECT_THROW(picture_format(name), Stop);
    const std::string first = profile_svg(river_profile(), dir);
    draw_flood_map(valley(), dir / "map.svg", "", PictureFormat::svg);
    EXPECT_EQ(profile_svg(river_profile(), dir), first);
}

// Light from the north-west: slopes facing it are lit, slopes facing away in the shadow, and
// the steeper the darker, in metres of the cells' real size.
TEST(Hillshade, ASlopeFacingTheLightIsBrighterThanOneFacingAway) {
    std::vector<float> ridge, flank;  // a ridge along column 3; ground falling to the south
    for (int i = 0; i < 7; ++i) {
        for (int j = 0; j < 7; ++j) {
            ridge.push_back(static_cast<float>(10 - 2 * std::abs(j - 3)));
            flank.push_back(static_cast<float>(20 - 2 * i));
        }
    }
    const std::vector<float> lit = hillshade(ridge, 7, 7, 10), steep = hillshade(ridge, 7, 7, 2);
    auto at = [](const std::vector<float>& v, int i, int j) { return v[static_cast<std::size_t>(i) * 7 + j]; };
    EXPECT_GT(at(lit, 3, 1), at(lit, 3, 5)) << "the west flank faces the light, the east one away";
    EXPECT_LT(at(steep, 3, 5), at(lit, 3, 5)) << "on cells of 2 m the same rise is steeper";
    const std::vector<float> south = hillshade(flank, 7, 7, 10);
    EXPECT_LT(at(south, 3, 3), std::cos(3.14159265 / 4)) << "a slope facing south is darker than flat ground";
    flank[3 * 7 + 3] = NAN;  // no ground: no light, and its neighbours are shaded as before
    const std::vector<float> hole = hillshade(flank, 7, 7, 10);
    EXPECT_TRUE(std::isnan(at(hole, 3, 3)));
    EXPECT_NEAR(at(hole, 3, 4), at(south, 3, 4), 0.01);
}

TEST(FloodMap, ALibrarysLevelsTakeOneColourEachTheNearestLevelsForOtherValues) {
    const DepthRamp ramp = class_ramp({2, 0.5, 1});
    ASSERT_EQ(ramp.classes, (std::vector<double>{0.5, 1, 2}));
    EXPECT_FALSE(ramp.class_colour(0) == ramp.class_colour(1));
    EXPECT_FALSE(ramp.class_colour(1) == ramp.class_colour(2));
    EXPECT_TRUE(ramp.colour(1.1) == ramp.class_colour(1));
    EXPECT_TRUE(ramp.colour(1.6) == ramp.class_colour(2));
    EXPECT_TRUE(ramp.colour(0) == ramp.class_colour(0));
    EXPECT_TRUE(ramp.colour(100) == ramp.class_colour(2));
}
