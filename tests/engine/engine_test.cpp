// The engine in one process: runs going at once in threads, each with its own state, give
// exactly the results of the console program run on the same inputs in processes of their own.
#include "engine.h"

#include <gtest/gtest.h>

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
        s.nomim1 = folder + answers[1] + ".raw";
        s.nomim2 = folder + answers[2] + ".raw";
        s.nomim3 = folder + answers[3] + "_m4.raw";
        s.descriptor_pixel = 5;
        s.inputs = Inputs{ByteGrid(lines, cols), ByteGrid(lines, cols), IntGrid(lines, cols)};
        read_into(s.nomim1, s.inputs.tab_mask);
        read_into(s.nomim2, s.inputs.tab_soul);
        read_into(s.nomim3, s.inputs.itab_in);
        Parameters& p = s.parameters;
        std::size_t k = 5;
        auto next = [&] { return answers[k++]; };
        p.hypso_scale = std::stoi(next());
        p.ideb = std::stoi(next()), p.jdeb = std::stoi(next()), p.alti_deb = std::stod(next());
        p.ifin = std::stoi(next()), p.jfin = std::stoi(next()), p.alti_fin = std::stod(next());
        p.gauss_treat = std::stoi(next());
        p.LO = std::stoi(next()), p.AO_Max = std::stod(next()), p.i_AO = std::stoi(next()), p.j_AO = std::stoi(next());
        p.water_layer = std::stoi(next());
        p.dthick_deb = std::stod(next()), p.dthick_end = std::stod(next());
        p.taille_pix = std::stoi(next());
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
        std::vector<int> dem(r.itab_in.data(), r.itab_in.data() + r.itab_in.cells());
        std::vector<int> extent(r.tab_mask.data(), r.tab_mask.data() + r.tab_mask.cells());
        EXPECT_TRUE(read_file(result + "_tarvex_m4.raw") == int_raster(dem));
        EXPECT_TRUE(read_file(result + "_tarvex.raw") == byte_raster(extent));
        const std::string report = read_file(result + "_tarvex.txt");
        EXPECT_EQ(report.substr(report.find("\n\n Input Data")), r.report);
        std::string table;
        for (std::size_t p = 1; p < r.k_coord.size(); ++p) table += strf("%zu\t%d\t%zu\t%d\n", p, r.k_coord[p], p, r.k_coord2[p]);
        EXPECT_EQ(read_file(result + "_tarvex.xls"), table);
        EXPECT_EQ(read_file(result + "_tarvex_m4.txt"),
                  strf("%d\n%d\n4\n%d\n%d\n5\n", r.itab_in.nb_lig(), r.itab_in.nb_col(), r.dem_min, r.dem_max));
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
        ra = run(a.scenario, [&](const Progress&) { ++passes_a; }, trace);
    });
    std::thread second([&] {
        SilentTrace trace;
        rb = run(b.scenario, [&](const Progress&) { ++passes_b; }, trace);
    });
    first.join();
    second.join();
    a.expect_files_of(ra);
    b.expect_files_of(rb);
    EXPECT_GT(passes_a, 10);
    EXPECT_GT(passes_b, 10);
    // The scenarios handed over by copy are left as they were, ready for more runs.
    EXPECT_EQ(a.scenario.inputs.itab_in.nb_lig(), 300);
}

TEST(Engine, AScenarioTheDialogWouldRefuseStopsWithItsMessage) {
    Valley v(300, 400, 0.8);
    const struct {
        void (*spoil)(Scenario&);
        const char* message;
    } cases[] = {
        {[](Scenario& s) { s.parameters.alti_fin = s.parameters.alti_deb + 1; }, "altitude of the lower point is greater"},
        {[](Scenario& s) { s.parameters.ideb = -1; }, "both points must lie inside the grid"},
        {[](Scenario& s) { s.parameters.gauss_treat = 1, s.parameters.water_layer = 1; }, "Unable to start Flooding Treatment"},
        {[](Scenario& s) { s.parameters.LO = 1000000; }, "The half wave length must lie between 1 and"},
        {[](Scenario& s) { s.parameters.hypso_scale = 4; }, "The hypsometric scale must be 0, 1, 2 or 3"},
        {[](Scenario& s) { s.inputs.itab_in = IntGrid(3, 3); }, "must be grids of one size"},
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
