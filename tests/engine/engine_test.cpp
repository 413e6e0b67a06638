// The engine in one process: runs going at once in threads, each with its own state, give
// exactly the results of the console program run on the same inputs in processes of their own.
#include "engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <thread>

#include "file_formats.h"
#include "test_support.h"

namespace {

// A generated valley in a folder of its own, with the results of a run of the console program
// on it, and the same run as a scenario for the engine.
struct Valley {
    Valley(int lines, int cols, double layer_deb) {
        const std::string folder = root.path() + "/images/demo/";
        std::filesystem::create_directories(folder);
        const RunResult made = run_command(
            {TARVEX_MAKE_DEMO, folder, root / "answers.txt", std::to_string(lines), std::to_string(cols)}, root.path());
        EXPECT_EQ(made.status, 0);
        std::istringstream words(read_file(root / "answers.txt"));
        for (std::string w; words >> w;) answers.push_back(w);
        answers[18] = std::to_string(layer_deb);  // the upper point's water layer
        std::string typed;
        for (const std::string& w : answers) typed += w + "\n";
        EXPECT_EQ(run_tarvex(root.path(), root.path() + "/images", typed).status, 0);
        result = folder + answers[4];
        scenario = load(folder, lines, cols);
    }

    // The rasters as the console program reads them, the answers as it takes them.
    Scenario load(const std::string& folder, int lines, int cols) const {
        Scenario s;
        s.names = InputNames{folder + answers[1] + ".raw", folder + answers[2] + ".raw", folder + answers[3] + "_m4.raw"};
        s.inputs = Inputs{ByteGrid(lines, cols), ByteGrid(lines, cols), IntGrid(lines, cols)};
        read_into(s.names.mask, s.inputs.mask);
        read_into(s.names.skeleton, s.inputs.skeleton);
        read_into(s.names.dem, s.inputs.dem);
        RunSettings& p = s.settings;
        std::size_t k = 5;
        auto next = [&] { return answers[k++]; };
        auto point = [&] { return GridPoint{std::stoi(next()), std::stoi(next())}; };
        const DemUnit menu[4] = {DemUnit::metres, DemUnit::decimetres, DemUnit::centimetres, DemUnit::millimetres};
        p.unit = menu[std::stoi(next())];
        p.upper.cell = point(), p.upper.level_m = std::stod(next());
        p.lower.cell = point(), p.lower.level_m = std::stod(next());
        p.wave.on = next() == "0";
        p.wave.half_length_px = std::stoi(next()), p.wave.height_m = std::stod(next()), p.wave.summit = point();
        p.layer.on = next() == "0";
        p.layer.upper_m = std::stod(next()), p.layer.lower_m = std::stod(next());
        p.pixel_m = std::stoi(next());
        return s;
    }
    template <typename T>
    static void read_into(const std::string& path, Grid<T>& grid) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        ASSERT_NE(f, nullptr) << path;
        if constexpr (sizeof(T) == 1) {
            read_byte_grid(f, grid.rows(), grid.nb_lig(), grid.nb_col());
        } else {
            read_int_grid(f, grid.rows(), grid.nb_lig(), grid.nb_col());
        }
        std::fclose(f);
    }

    // The engine's results, in the bytes of the console program's files.
    void expect_files_of(const Results& r) const {
        std::vector<int> dem(r.flooded_dem.data(), r.flooded_dem.data() + r.flooded_dem.cells());
        std::vector<int> extent(r.extent.data(), r.extent.data() + r.extent.cells());
        EXPECT_TRUE(read_file(result + "_tarvex_m4.raw") == int_raster(dem));
        EXPECT_TRUE(read_file(result + "_tarvex.raw") == byte_raster(extent));
        const std::string report = read_file(result + "_tarvex.txt");
        EXPECT_EQ(report.substr(report.find("\n\n Input Data")), r.report);
        std::string table;
        ASSERT_EQ(r.linear_profile.size(), r.surface_profile.size());
        for (std::size_t k = 0; k < r.linear_profile.size(); ++k) {
            table += strf("%zu\t%d\t%zu\t%d\n", k + 1, r.linear_profile[k], k + 1, r.surface_profile[k]);
        }
        EXPECT_EQ(read_file(result + "_tarvex.xls"), table);
        EXPECT_EQ(read_file(result + "_tarvex_m4.txt"),
                  strf("%d\n%d\n4\n%d\n%d\n5\n", r.flooded_dem.nb_lig(), r.flooded_dem.nb_col(), r.dem_range.min,
                       r.dem_range.max));
        EXPECT_EQ(r.measures.path_pixels, static_cast<int>(r.linear_profile.size()));
        EXPECT_NE(r.report.find(strf("River segment length (in meters) = %lf ", r.measures.length_m)), std::string::npos);
        EXPECT_NE(r.report.find(strf("Degree of meander tortuosity = %lf ", r.measures.tortuosity)), std::string::npos);
    }

    TempDir root;
    std::vector<std::string> answers;
    std::string result;
    Scenario scenario;
};

}  // namespace

TEST(Engine, TwoRunsAtOnceInThreadsGiveTheResultsOfTwoProcesses) {
    Valley a(300, 400, 0.8), b(450, 520, 2.4);
    Results ra, rb;
    long long passes_a = 0, passes_b = 0;
    std::thread first([&] {
        SilentTrace trace;
        ra = run(a.scenario, [&](const Progress&) { return ++passes_a > 0; }, trace);
    });
    std::thread second([&] {
        SilentTrace trace;
        rb = run(b.scenario, [&](const Progress&) { return ++passes_b > 0; }, trace);
    });
    first.join();
    second.join();
    a.expect_files_of(ra);
    b.expect_files_of(rb);
    EXPECT_GT(passes_a, 10);
    EXPECT_GT(passes_b, 10);
    // The scenarios handed over by copy are left as they were, ready for more runs.
    EXPECT_EQ(a.scenario.inputs.dem.nb_lig(), 300);
}

TEST(Engine, AScenarioTheDialogWouldRefuseStopsWithItsMessage) {
    Valley v(300, 400, 0.8);
    const struct {
        void (*spoil)(Scenario&);
        const char* message;
    } cases[] = {
        {[](Scenario& s) { s.settings.lower.level_m = s.settings.upper.level_m + 1; }, "altitude of the lower point is greater"},
        {[](Scenario& s) { s.settings.upper.cell.line = -1; }, "both points must lie inside the grid"},
        {[](Scenario& s) { s.settings.wave.on = s.settings.layer.on = false; }, "Unable to start Flooding Treatment"},
        {[](Scenario& s) { s.settings.wave.half_length_px = 1000000; }, "The half wave length must lie between 1 and"},
        {[](Scenario& s) { s.settings.unit = static_cast<DemUnit>(4); }, "The hypsometric scale must be 0, 1, 2 or 3"},
        {[](Scenario& s) { s.inputs.dem = IntGrid(3, 3); }, "must be grids of one size"},
        {[](Scenario& s) { s.settings.pixel_m = std::nan(""); }, "a number greater than 0"},
    };
    for (const auto& k : cases) {
        Scenario s = v.scenario;
        k.spoil(s);
        RecordingTrace trace;
        try {
            run(std::move(s), ProgressFn(), trace);
            ADD_FAILURE() << "no stop for: " << k.message;
        } catch (const Stop& stop) {
            EXPECT_NE(std::string(stop.what()).find(k.message), std::string::npos) << stop.what();
            EXPECT_EQ(trace.text, stop.what());
        }
    }
}

TEST(Engine, AProgressCallbackReturningFalseCancelsTheRunAtOnce) {
    Valley v(300, 400, 0.8);
    long long calls = 0;
    std::vector<std::string> stages;
    SilentTrace quiet;
    run(v.scenario,
        [&](const Progress& p) {
            if (p.pass == 0) stages.push_back(p.phase);
            return ++calls > 0;
        },
        quiet);
    ASSERT_GT(calls, 10);
    // Each stage is heard of as it begins, so that a run can be cancelled between stages.
    EXPECT_EQ(stages, (std::vector<std::string>{"wave", "path tracing", "river construction", "flooding"}));
    // The first call (the wave stage beginning), a pass in the middle, and the last pass.
    for (const long long n : {1LL, calls / 2, calls}) {
        long long seen = 0;
        RecordingTrace trace;
        try {
            run(v.scenario, [&](const Progress&) { return ++seen < n; }, trace);
            ADD_FAILURE() << "not cancelled at call " << n;
        } catch (const Stop& stop) {
            EXPECT_STREQ(stop.what(), "cancelled");
        }
        EXPECT_EQ(seen, n);
        EXPECT_EQ(trace.text.find("cancelled"), std::string::npos);
    }
}

TEST(Engine, EachUnitTakesItsOwnNumberOfUnitsPerMetre) {
    // A wave's summit must be a DEM unit high at least: 0.5 m is one in decimetres, 0.05 m in
    // centimetres, 0.005 m in millimetres.
    const DemUnit units[4] = {DemUnit::metres, DemUnit::decimetres, DemUnit::centimetres, DemUnit::millimetres};
    const double heights[3] = {0.5, 0.05, 0.005};
    for (int u = 0; u < 4; ++u) {
        for (int h = 0; h < 3; ++h) {
            const WaveOptions wave{true, 1, heights[h], GridPoint{1, 1}};
            const bool refused = !wave_refusal(wave, units[u], 3, 3, 3).empty();
            EXPECT_EQ(refused, h >= u) << "unit " << u << ", height " << heights[h];
        }
    }
}
