// tarvex-gis flood's output folder: it appears whole or not at all, --overwrite replaces only a
// complete earlier output of ours (never a place a slip names, a folder holding an input, a
// link), folders follow the umask, and an interruption at any moment leaves no hidden folder.
#include <gdal.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <thread>

#include "gis_io.h"
#include "gis_support.h"
#include "stop.h"

namespace fs = std::filesystem;

namespace {

// A square DEM of `size` cells of 10 m: a channel at 95 m along the middle line, a floodplain
// at 96 m five lines on either side, high ground at 100 m; the centreline along the channel.
void make_plain(const TempDir& dir, int size) {
    std::vector<double> metres(static_cast<std::size_t>(size) * size);
    const int middle = size / 2;
    for (int i = 0; i < size; ++i) {
        for (int j = 0; j < size; ++j) {
            const bool channel = i == middle && j >= 2 && j < size - 2;
            metres[static_cast<std::size_t>(i) * size + j] = channel ? 95 : (std::abs(i - middle) <= 5 ? 96 : 100);
        }
    }
    make_geotiff(dir / "dem.tif", GDT_Float32, metres, nullptr, size, size);
    const double y = kTransform[3] - (middle + 0.5) * 10;
    make_vector(dir / "river.geojson", wkbLineString,
                {"LINESTRING (" + std::to_string(kTransform[0] + 35) + " " + std::to_string(y) + "," +
                 std::to_string(kTransform[0] + (size - 3.5) * 10) + " " + std::to_string(y) + ")"});
}

std::vector<std::string> flood_args(const std::string& out, const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args = {"flood", "--dem", "dem.tif", "--river", "river.geojson", "--width", "30", "--out", out};
    args.insert(args.end(), extra.begin(), extra.end());
    if (std::find(extra.begin(), extra.end(), "--layers") == extra.end()) {
        args.insert(args.end(), {"--layer", "1.5"});
    }
    return args;
}

// The hidden entries of a folder (".out.XXXXXX" folders beside the outputs, ...).
std::vector<std::string> hidden(const std::string& folder) {
    std::vector<std::string> found;
    for (const std::string& name : folder_files(folder)) {
        if (name[0] == '.') found.push_back(name);
    }
    return found;
}

// Waits (5 s at the most) until a hidden folder of `dir` holds `inside` ("run", "layer_1").
bool wait_for_hidden(const TempDir& dir, const std::string& inside) {
    for (int wait = 0; wait < 5000; ++wait) {
        for (const std::string& h : hidden(dir.path())) {
            if (file_exists(dir / (h + "/" + inside))) return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

void expect_complete(const TempDir& dir, const std::string& out) {
    EXPECT_TRUE(file_exists(dir / (out + "/stats.json"))) << out;
    EXPECT_TRUE(file_exists(dir / (out + "/.tarvex-output.json"))) << out;
    EXPECT_EQ(hidden(dir.path()), std::vector<std::string>{}) << "a hidden folder was left";
}

}  // namespace

TEST(FloodFolders, OverwriteReplacesOnlyACompleteEarlierOutputOfOurs) {
    TempDir dir;
    make_plain(dir, 40);
    ASSERT_EQ(gis(flood_args("out"), dir).status, 0);
    ASSERT_EQ(gis(flood_args("home"), dir).status, 0);
    const RunResult again = gis(flood_args("out", {"--overwrite"}), dir);
    ASSERT_EQ(again.status, 0) << again.err;  // an earlier flood of ours: replaced
    expect_complete(dir, "out");

    write_file(dir / "out/notes.txt", "mine");
    fs::create_directory(dir / "other");
    write_file(dir / "other/thesis.txt", "years of work");
    fs::create_directory_symlink("home", dir / "link");
    ASSERT_EQ(gis(flood_args("linked"), dir).status, 0);  // an earlier output holding a link
    fs::create_symlink("/etc/passwd", dir / "linked/run/passwd");
    write_file(dir / "plain.txt", "text");
    // A folder whose record lists the DEM a virtual raster reads: it holds an input.
    fs::create_directory(dir / "lake");
    fs::copy_file(dir / "dem.tif", dir / "lake/dem.tif");
    write_file(dir / "lake/.tarvex-output.json", "{\"made_by\": \"tarvex-gis flood\", \"files\": [\"dem.tif\"]}");
    GDALDatasetH source = GDALOpen((dir / "lake/dem.tif").c_str(), GA_ReadOnly);
    GDALClose(GDALCreateCopy(GDALGetDriverByName("VRT"), (dir / "dem.vrt").c_str(), source, FALSE, nullptr, nullptr, nullptr));
    GDALClose(source);

    const passwd* user = ::getpwuid(::getuid());
    const std::string own_home = user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "/";
    const std::vector<std::string> home_here = {"/usr/bin/env", "HOME=" + dir / "home"};
    const struct {
        std::string out;
        std::vector<std::string> prefix;  // how the command is started
        std::string message;
        const char* dem = "dem.tif";
    } cases[] = {
        {"out", {}, "out holds notes.txt, which tarvex-gis did not write there: it is not replaced"},
        {"other", {}, "other is not an earlier output of tarvex-gis"},
        {".", {}, ". is the current folder: it is never replaced"},
        {"..", {}, ".. is a folder that holds the current folder"},
        {"/", {}, "/ is the root folder"},
        {"home", home_here, "home is the home folder"},
        {own_home, {"/usr/bin/env", "-u", "HOME"}, own_home + " is the home folder"},  // the user's, from the system
        {"link", {}, "link is a link"},
        {"linked", {}, "linked holds the link run/passwd, which tarvex-gis never writes: it is not replaced"},
        {"plain.txt", {}, "plain.txt is not a folder"},
        {"lake", {}, "lake holds the input lake/dem.tif", "dem.vrt"},
    };
    for (const auto& c : cases) {
        if (c.out == own_home && (own_home == "/" || !fs::is_directory(own_home))) continue;  // no home to protect
        const Snapshot before(dir.path());
        std::vector<std::string> args = flood_args(c.out, {"--overwrite"});
        args[2] = c.dem;
        const RunResult r = GisProcess(args, dir.path(), 0, c.prefix).wait();
        EXPECT_EQ(r.status, 1) << c.out;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.message << " in: " << r.err;
        EXPECT_TRUE(before.unchanged()) << c.out << ": a file changed or was left behind";
    }
}

TEST(FloodFolders, TwoFloodsToOneFolderAtOnceLandOneWholeAndRefuseTheOther) {
    TempDir dir;
    make_plain(dir, 120);
    for (int attempt = 0; attempt < 3; ++attempt) {
        fs::remove_all(dir / "out");
        GisProcess first(flood_args("out"), dir.path()), second(flood_args("out"), dir.path());
        const RunResult a = first.wait(), b = second.wait();
        EXPECT_EQ(a.status + b.status, 1) << a.err << b.err;
        const std::string refusal = a.status != 0 ? a.err : b.err;
        EXPECT_TRUE(refusal.find("out appeared while the flood ran: it is kept as it is") != std::string::npos ||
                    refusal.find("out exists already") != std::string::npos)
            << refusal;
        expect_complete(dir, "out");
    }
}

TEST(FloodFolders, FoldersFollowTheUmask) {
    TempDir dir;
    make_plain(dir, 40);
    const mode_t before = ::umask(022);
    const RunResult r = gis(flood_args("library", {"--layers", "0:1:1"}), dir);
    ::umask(before);
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* folder : {"library", "library/layer_1", "library/layer_1/run"}) {
        struct stat s {};
        ASSERT_EQ(::stat((dir / folder).c_str(), &s), 0) << folder;
        EXPECT_EQ(s.st_mode & 07777, 0755u) << folder;
    }
    // A level's run says the single command that gives it again (JSON writes '/' as "\/").
    const std::string scenario = read_file(dir / "library/layer_1/run/scenario.json");
    EXPECT_NE(scenario.find("tarvex-gis flood --dem dem.tif --layer 1 --out library"), std::string::npos) << scenario;
    EXPECT_NE(scenario.find("layer_1 --river river.geojson --width 30\""), std::string::npos) << scenario;
}

TEST(FloodFolders, AnInterruptionAtAnyMomentLeavesNoHiddenFolder) {
    TempDir dir;
    make_plain(dir, 300);
    const std::vector<std::string> inputs = folder_files(dir.path());
    // A single flood once its run/ folder exists, and a library while its levels run.
    const struct {
        std::vector<std::string> args;
        std::string inside;
        int sig;
    } cases[] = {
        {flood_args("out"), "run", SIGTERM},
        {flood_args("out", {"--layers", "0:3:0.25", "--jobs", "2"}), "layer_3/run", SIGINT},
    };
    for (const auto& c : cases) {
        GisProcess run(c.args, dir.path());
        EXPECT_TRUE(wait_for_hidden(dir, c.inside)) << c.inside;
        kill(run.pid(), c.sig);
        EXPECT_EQ(run.wait().status, 128 + c.sig) << strsignal(c.sig);
        EXPECT_EQ(folder_files(dir.path()), inputs) << c.inside;
    }
    // Replacing an earlier flood, interrupted at moments around the commit: the folder is the
    // old one or the new one, whole, and nothing hidden is left.
    ASSERT_EQ(gis(flood_args("out"), dir).status, 0);
    for (int delay_ms = 0; delay_ms < 400; delay_ms += 40) {
        GisProcess run(flood_args("out", {"--overwrite"}), dir.path());
        std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
        kill(run.pid(), SIGTERM);
        run.wait();
        expect_complete(dir, "out");
    }
}

TEST(FloodFolders, AFullDiskOrAFileTooLargeFailsNamingTheFinalPathAndLeavesNothing) {
    TempDir dir;
    make_plain(dir, 40);
    const std::vector<std::string> inputs = folder_files(dir.path());
    // A file size limit met by one output or another.
    for (long limit : {3000L, 12000L, 30000L}) {
        const RunResult r = gis(flood_args("out"), dir, limit);
        EXPECT_EQ(r.status, 1) << limit;
        EXPECT_NE(r.err.find("File too large"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("out/"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find(".out."), std::string::npos) << "a hidden name in: " << r.err;
        EXPECT_EQ(folder_files(dir.path()), inputs) << limit;
    }
    // A level of a library failing so stops the library, with the level's reason.
    const RunResult library = gis(flood_args("lib", {"--layers", "0:2:1", "--jobs", "2"}), dir, 12000);
    EXPECT_EQ(library.status, 1);
    EXPECT_NE(library.err.find("File too large"), std::string::npos) << library.err;
    EXPECT_EQ(folder_files(dir.path()), inputs);
    const SmallDisk disk(dir / "small", "24k");
    if (!disk.mounted) GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(disk.error);
    const RunResult r = gis(flood_args("small/out"), dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("the disk is full"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("small/out/"), std::string::npos) << r.err;
    EXPECT_EQ(folder_files(disk.path), std::vector<std::string>{});
    // A grid whose rasters could not fit is refused before any is written, with the sizes.
    make_plain(dir, 80);
    const RunResult large = gis(flood_args("small/out"), dir);
    EXPECT_NE(large.err.find("not enough disk space for the flood of the 80 x 80 cells in small/out: it may need 37.5 KiB"),
              std::string::npos)
        << large.err;
    EXPECT_EQ(folder_files(disk.path), std::vector<std::string>{});
}

// Threads are counted against the user's process limit: as a user of its own (no other test
// runs processes as that user at the same time), with room for the command and its signal
// thread only, the levels' workers cannot start. The library stops cleanly.
TEST(FloodFolders, AWorkerThatCannotStartIsACleanStop) {
    if (geteuid() != 0 || !file_exists("/usr/bin/setpriv") || !file_exists("/usr/bin/prlimit")) {
        GTEST_SKIP() << "needs root, setpriv and prlimit to run as nobody with a thread limit";
    }
    TempDir dir;
    fs::permissions(dir.path(), fs::perms(0777));
    make_plain(dir, 40);
    const std::vector<std::string> inputs = folder_files(dir.path());
    const RunResult r = GisProcess(flood_args("out", {"--layers", "0:2:1", "--jobs", "2"}), dir.path(), 0,
                                   {"/usr/bin/prlimit", "--nproc=2", "/usr/bin/setpriv", "--reuid=65531", "--regid=65531",
                                    "--clear-groups"})
                            .wait();
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("tarvex-gis: cannot start a thread for the levels"), std::string::npos) << r.err;
    EXPECT_EQ(folder_files(dir.path()), inputs);
}

TEST(GisSteps, MemoryRunningOutNamesTheStepAndOtherErrorsPassThrough) {
    try {
        step("draw the map", []() -> int { throw std::bad_alloc(); });
        ADD_FAILURE() << "no stop";
    } catch (const Stop& stop) {
        EXPECT_STREQ(stop.what(), "not enough memory to draw the map");
    }
    EXPECT_THROW(step("draw the map", [] { fail("cannot write map.png"); }), Stop);
    EXPECT_EQ(step("add", [] { return 2 + 2; }), 4);
}

// A folder that cannot be moved aside (one that may not be written, whose ".." entry a move
// would change) stays as it was, and nothing hidden is left. Root may move anything: the
// command runs as nobody.
TEST(FloodFolders, AFolderThatCannotBeMovedAsideStaysInPlace) {
    if (geteuid() != 0 || !file_exists("/usr/bin/setpriv")) GTEST_SKIP() << "needs root and setpriv to run as nobody";
    const std::vector<std::string> nobody = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    TempDir dir;
    fs::permissions(dir.path(), fs::perms(0777));
    make_plain(dir, 40);
    ASSERT_EQ(GisProcess(flood_args("out"), dir.path(), 0, nobody).wait().status, 0);
    fs::permissions(dir / "out", fs::perms(0555));
    const Snapshot before(dir.path());
    const RunResult r = GisProcess(flood_args("out", {"--overwrite"}), dir.path(), 0, nobody).wait();
    fs::permissions(dir / "out", fs::perms(0755));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot move the previous folder aside from out: Permission denied; the previous folder is in "
                         "place, as it was"),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(before.unchanged());
}

// A mount point is never replaced, even holding a record of ours: its contents would go with it.
TEST(FloodFolders, AMountPointIsNeverReplaced) {
    TempDir dir;
    make_plain(dir, 40);
    const SmallDisk disk(dir / "mounted", "1m");
    if (!disk.mounted) GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(disk.error);
    write_file(dir / "mounted/.tarvex-output.json", "{\"made_by\": \"tarvex-gis flood\", \"files\": []}");
    const Snapshot before(dir.path());
    const RunResult r = gis(flood_args("mounted", {"--overwrite"}), dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("mounted is a mount point: it is never replaced"), std::string::npos) << r.err;
    EXPECT_TRUE(before.unchanged());
}
