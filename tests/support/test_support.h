// Helpers shared by the tests: temporary folders, file contents, a scripted console and a
// runner for the built program.
#ifndef TARVEX_TEST_SUPPORT_H
#define TARVEX_TEST_SUPPORT_H

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "console.h"
#include "programs.h"

// A fresh temporary folder, removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void write_file(const std::string& path, const std::string& bytes);
std::string read_file(const std::string& path);
bool file_exists(const std::string& path);
// The names of the entries of a folder, hidden ones included, in order.
std::vector<std::string> folder_files(const std::string& folder);
// The contents of the files of a folder by name, hidden ones included.
std::map<std::string, std::string> folder_contents(const std::string& folder);

// Little-endian 32-bit cells, as in an integer raster.
std::string int_raster(const std::vector<int>& cells);
std::string byte_raster(const std::vector<int>& cells);

// A console reading the given answers, capturing what it prints; key waits are counted.
struct ScriptedConsole {
    explicit ScriptedConsole(const std::string& answers);
    std::istringstream in;
    std::ostringstream out;
    Console con;
};

// Records the given files (those that exist) and, when it goes, fails the test if any of them
// changed in size or content: a run never modifies its inputs.
class FilesUnchanged {
public:
    explicit FilesUnchanged(const std::vector<std::string>& paths);
    ~FilesUnchanged();
    FilesUnchanged(const FilesUnchanged&) = delete;
    FilesUnchanged& operator=(const FilesUnchanged&) = delete;

private:
    std::vector<std::pair<std::string, std::string>> files_;
};

#endif

#ifndef TARVEX_TEST_SUPPORT_CASE
#define TARVEX_TEST_SUPPORT_CASE
// A run's input folder: <root>/images/<directory>/ with a mask, a skeleton and a DEM.
struct RiverCase {
    int lines = 0, cols = 0, pixel = 0;
    std::vector<int> mask, skel, dem;
    std::string directory = "case";
    std::string mask_name = "mask", skel_name = "skel", dem_name = "dem";

    std::string folder(const TempDir& root) const;  // ends in "/"
    // Writes the three rasters and, when asked, their descriptors.
    void write(const TempDir& root, bool descriptors = true) const;
    // Runs the program on the case; the input files are checked unchanged afterwards.
    RunResult run(const TempDir& root, const std::string& answers, const RunOptions& options = {}) const;
    std::vector<std::string> input_paths(const TempDir& root) const;
    // The names of those six files, in order.
    std::vector<std::string> input_names() const;
    // The answers of the opening dialog, ending with the result name.
    std::string opening_answers(const std::string& result = "out") const;
    // The six integers and the Input Data block that open the run report.
    std::string report_head(const TempDir& root) const;

    // 3 lines x 4 columns, pixel size 25, a river down column 1 inside a two-column mask.
    static RiverCase small();
    // The same case with columns of high dry ground added on the right up to `cols` columns.
    RiverCase widened(int cols) const;
    // Parameter answers for small(): metres, points (0,1) at 10.0 m and (2,1) at 9.0 m, no
    // wave, a water layer of 0.5 m, pixel size 25.
    static const char* const kLayerOnlyAnswers;
};

// The banner exactly as a run prints it.
std::string expected_banner();
#endif

#ifndef TARVEX_TEST_SUPPORT_STAGE
#define TARVEX_TEST_SUPPORT_STAGE
#include "run_state.h"
#include "run_log.h"

// A trace that keeps what a run says and counts its pauses.
struct RecordingTrace : Trace {
    std::string text;
    int key_waits = 0;
    void say_text(const std::string& t) override { text += t; }
    void wait_key() override { ++key_waits; }
};

// The seven grids of a run, each of its own (all zero; the surface whole, all no data), its
// parameters (metres, no option) and a log over a recording trace, for running one engine stage.
struct StageFixture {
    StageFixture(int lines, int cols);
    StageFixture(const StageFixture&) = delete;
    StageFixture& operator=(const StageFixture&) = delete;

    // Fills a grid from row-major cells; a grid's cells, row-major.
    static void fill(ByteGrid& grid, const std::vector<int>& cells);
    static void fill(IntGrid& grid, const std::vector<int>& cells);
    static void fill(SurfaceGrid& grid, const std::vector<int>& cells);
    static std::vector<int> cells(const SurfaceGrid& grid);
    template <typename T>
    static std::vector<int> cells(const Grid<T>& grid) {
        return std::vector<int>(grid.data(), grid.data() + grid.cells());
    }
    const std::string& printed() const { return trace.text; }
    int key_waits() const { return trace.key_waits; }

    Grids g;
    Parameters p;
    RecordingTrace trace;
    RunLog log;
};
#endif
