// What a run does to the files around it when it cannot finish: a stopped or interrupted run
// leaves the previous results of its name exactly as they were (or, interrupted after its
// commit, the new complete set), never a mixture, a partial file or a temporary; results never
// write through links; inputs that are not regular files are refused without blocking.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <csignal>
#include <filesystem>
#include <map>
#include <thread>

#include "test_support.h"

namespace {

using Contents = std::map<std::string, std::string>;

bool has(const RunResult& r, const std::string& text) { return r.out.find(text) != std::string::npos; }

// Makes the folder hold exactly `contents`.
void restore(const std::string& folder, const Contents& contents) {
    for (const std::string& name : folder_files(folder)) {
        if (contents.count(name) == 0) std::filesystem::remove(folder + "/" + name);
    }
    for (const auto& [name, bytes] : contents) {
        if (read_file(folder + "/" + name) != bytes) write_file(folder + "/" + name, bytes);
    }
}

// The demo valley of two million cells (a quarter of that in an instrumented build, whose runs
// are many times slower), with the contents of its folder after a complete run of answers A
// and after one of answers B (another water layer): a run of B that does not end must leave
// the folder as A's run left it, or as B's complete run would.
#ifdef TARVEX_SANITIZED
const char* const kValleySize[2] = {"500", "1000"};
#else
const char* const kValleySize[2] = {"1000", "2000"};
#endif

class InterruptedRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root_ = new TempDir;
        std::filesystem::create_directories(folder());
        RunResult made = run_command(
            {TARVEX_MAKE_DEMO, folder(), root_->path() + "/answers.txt", kValleySize[0], kValleySize[1]}, root_->path());
        ASSERT_EQ(made.status, 0) << made.err;
        answers_a_ = new std::string(read_file(root_->path() + "/answers.txt"));
        answers_b_ = new std::string(*answers_a_);
        const std::size_t layer = answers_b_->find("\n0.8\n1.2\n");
        ASSERT_NE(layer, std::string::npos);
        answers_b_->replace(layer, 9, "\n1.8\n2.2\n");
        ASSERT_EQ(run(*answers_b_).status, 0);
        set_b_ = new Contents(folder_contents(folder()));
        ASSERT_EQ(run(*answers_a_).status, 0);
        set_a_ = new Contents(folder_contents(folder()));
        ASSERT_NE(*set_a_, *set_b_);
    }
    static void TearDownTestSuite() {
        delete set_a_;
        delete set_b_;
        delete answers_a_;
        delete answers_b_;
        delete root_;
    }
    static std::string folder() { return root_->path() + "/images/demo"; }
    static RunResult run(const std::string& answers) {
        return run_tarvex(root_->path(), root_->path() + "/images", answers);
    }
    static std::unique_ptr<RunningProgram> start() { return start_tarvex(root_->path(), root_->path() + "/images"); }

    // The folder holds the previous set, or the new one after a run that completed.
    static void expect_a_whole_set(const RunResult& r, const std::string& moment) {
        const Contents now = folder_contents(folder());
        if (r.status == 0) {
            EXPECT_TRUE(now == *set_b_) << moment << ": a completed run without its results";
        } else {
            EXPECT_TRUE(now == *set_a_ || now == *set_b_) << moment << ": neither the previous nor the new results";
        }
        restore(folder(), *set_a_);
    }

    static TempDir* root_;
    static std::string *answers_a_, *answers_b_;
    static Contents *set_a_, *set_b_;
};

TempDir* InterruptedRun::root_ = nullptr;
std::string* InterruptedRun::answers_a_ = nullptr;
std::string* InterruptedRun::answers_b_ = nullptr;
Contents* InterruptedRun::set_a_ = nullptr;
Contents* InterruptedRun::set_b_ = nullptr;

}  // namespace

TEST_F(InterruptedRun, AFatalStopLeavesThePreviousResultsExactlyAsTheyWere) {
    // Answers that end after the result name, after the end points, before the pixel size.
    for (int answers : {5, 12, 20}) {
        std::size_t at = 0;
        for (int k = 0; k < answers; ++k) at = answers_b_->find('\n', at) + 1;
        RunResult r = run(answers_b_->substr(0, at));
        EXPECT_EQ(r.status, 1) << answers;
        EXPECT_TRUE(has(r, "End of input"));
        EXPECT_TRUE(folder_contents(folder()) == *set_a_) << "after " << answers << " answers";
    }
}

TEST_F(InterruptedRun, ASignalWhileTheDialogWaitsLeavesThePreviousResults) {
    const std::size_t before_pixel_size = answers_b_->rfind('\n', answers_b_->size() - 2) + 1;
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        std::unique_ptr<RunningProgram> p = start();
        p->answer(answers_b_->substr(0, before_pixel_size));  // the result files are being written
        ASSERT_TRUE(p->wait_for_output("Pixel size ? ", 60));
        p->signal(sig);
        RunResult r = p->finish(false);
        EXPECT_EQ(r.status, 128 + sig);
        expect_a_whole_set(r, "waiting for the pixel size, signal " + std::to_string(sig));
    }
}

TEST_F(InterruptedRun, ASignalAtAnyMomentOfTheComputationLeavesOneWholeSet) {
    const int delays_ms[] = {0, 2, 5, 10, 20, 40, 60, 90, 130, 180, 250, 400};
    int interrupted = 0;
    for (int delay : delays_ms) {
        const int sig = delay % 3 == 0 ? SIGTERM : (delay % 3 == 1 ? SIGINT : SIGHUP);
        std::unique_ptr<RunningProgram> p = start();
        p->answer(*answers_b_);
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        p->signal(sig);
        RunResult r = p->finish();
        EXPECT_TRUE(r.status == 0 || r.status == 128 + sig) << r.status;
        interrupted += r.status == 128 + sig ? 1 : 0;
        expect_a_whole_set(r, "signal " + std::to_string(sig) + " after " + std::to_string(delay) + " ms");
    }
    EXPECT_GT(interrupted, 0);
}

namespace {

struct Trust : ::testing::Test {
    TempDir root;
    RiverCase c = RiverCase::small();
    void SetUp() override { c.write(root); }
    std::string at(const std::string& name) const { return c.folder(root) + name; }
    RunResult complete_run(const RunOptions& options = {}) const {
        return c.run(root, c.opening_answers() + RiverCase::kLayerOnlyAnswers, options);
    }
};

const char* const kResultSuffixes[] = {"_tarvex_m4.raw", "_tarvex_m4.txt", "_tarvex.xls", "_tarvex.raw", "_tarvex.txt"};

bool is_link(const std::string& path) { return std::filesystem::is_symlink(std::filesystem::symlink_status(path)); }

}  // namespace

TEST_F(Trust, ResultNamesThatAreLinksAreReplacedAndTheirTargetsLeftAlone) {
    ASSERT_EQ(complete_run().status, 0);
    const Contents expected = folder_contents(c.folder(root));
    restore(c.folder(root), {});
    c.write(root);
    // Each result name links to a file of another run, or nowhere.
    write_file(root / "precious.raw", "another run's DEM");
    for (const char* suffix : kResultSuffixes) {
        std::filesystem::create_symlink(root / "precious.raw", at(std::string("out") + suffix));
    }
    std::filesystem::remove(at("out_tarvex.xls"));
    std::filesystem::create_symlink(root / "nowhere.xls", at("out_tarvex.xls"));
    ASSERT_EQ(complete_run().status, 0);
    EXPECT_EQ(read_file(root / "precious.raw"), "another run's DEM");
    EXPECT_FALSE(file_exists(root / "nowhere.xls"));
    for (const char* suffix : kResultSuffixes) EXPECT_FALSE(is_link(at(std::string("out") + suffix))) << suffix;
    EXPECT_TRUE(folder_contents(c.folder(root)) == expected);
}

TEST_F(Trust, InputsThatAreNotRegularFilesOrFailToReadStopWithoutBlocking) {
    const struct {
        const char* name;
        const char* kind;
        const char* cause;
    } inputs[] = {{"mask.raw", "folder", "not a regular file"},  {"dem_m4.raw", "fifo", "not a regular file"},
                  {"skel.txt", "fifo", "not a regular file"},    {"mask.txt", "folder", "not a regular file"},
                  {"dem_m4.raw", "device", "not a regular file"},
                  // A regular file whose reading fails: a process's memory read from address 0.
                  {"skel.raw", "unreadable", "Input/output error"}};
    RunOptions limited;
    limited.time_limit = 30;
    for (const auto& in : inputs) {
        const std::string path = at(in.name), kind = in.kind;
        std::filesystem::remove(path);
        if (kind == "folder") std::filesystem::create_directory(path);
        if (kind == "fifo") {
            ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        }
        if (kind == "device") std::filesystem::create_symlink("/dev/zero", path);
        if (kind == "unreadable") std::filesystem::create_symlink("/proc/self/mem", path);
        RunResult r = complete_run(limited);
        EXPECT_EQ(r.status, 1) << in.name << " as a " << kind;
        EXPECT_TRUE(has(r, "Unable to read the file " + path + ": " + in.cause)) << r.out;
        EXPECT_EQ(folder_files(c.folder(root)).size(), 6u) << "a result of a stopped run";
        std::filesystem::remove_all(path);
        c.write(root);
    }
}

TEST_F(Trust, ADescriptorThatCannotBeOpenedIsAFatalStopNamingTheCause) {
    // A link that points to itself.
    std::filesystem::remove(at("skel.txt"));
    std::filesystem::create_symlink(at("skel.txt"), at("skel.txt"));
    RunResult loop = complete_run();
    EXPECT_EQ(loop.status, 1);
    EXPECT_TRUE(has(loop, "Unable to read the file " + at("skel.txt") + ": Too many levels of symbolic links"));
    std::filesystem::remove(at("skel.txt"));
    c.write(root);

    // A descriptor its reader may not read, for a user who is not root.
    if (access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "no setpriv to run as another user";
    std::filesystem::permissions(root.path(), std::filesystem::perms::all);
    chmod((root.path() + "/images").c_str(), 0755);
    chmod(c.folder(root).c_str(), 0755);
    for (const std::string& path : c.input_paths(root)) chmod(path.c_str(), 0644);
    chmod(at("dem_m4.txt").c_str(), 0);
    RunOptions nobody;
    nobody.launcher = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
    RunResult denied = complete_run(nobody);
    EXPECT_EQ(denied.status, 1) << denied.err;
    EXPECT_TRUE(has(denied, "Unable to read the file " + at("dem_m4.txt") + ": Permission denied")) << denied.out;
    EXPECT_FALSE(has(denied, "No File"));
}

// A fault outside the dialog's checks (here the thread that takes the signals cannot start,
// the user having no process left) ends in one line and exit status 1, never an abort.
TEST_F(Trust, AThreadThatCannotStartEndsTheRunInOneLine) {
    if (access("/usr/bin/setpriv", X_OK) != 0 || access("/usr/bin/prlimit", X_OK) != 0 || geteuid() != 0) {
        GTEST_SKIP() << "needs root, setpriv and prlimit to run as nobody with a thread limit";
    }
    RunOptions limited;
    // A user of its own: the limit counts every process of the user, other tests' too.
    limited.launcher = {"/usr/bin/prlimit", "--nproc=1",      "--", "/usr/bin/setpriv", "--reuid=65532",
                        "--regid=65532",    "--clear-groups", "--"};
    RunResult r = complete_run(limited);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("tarvex: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(": the run stopped, and its results are not written"), std::string::npos) << r.err;
}

TEST_F(Trust, ASecondRunWritingTheSameResultsStopsAtOnce) {
    ASSERT_EQ(complete_run().status, 0);
    const Contents expected = folder_contents(c.folder(root));
    restore(c.folder(root), {});
    c.write(root);
    // The first run holds the results while it waits for its pixel size.
    const std::string answers = c.opening_answers() + RiverCase::kLayerOnlyAnswers;
    std::unique_ptr<RunningProgram> first = start_tarvex(root.path(), root.path() + "/images");
    first->answer(answers.substr(0, answers.rfind("25")));
    ASSERT_TRUE(first->wait_for_output("Pixel size ? ", 60));
    RunResult second = complete_run();
    EXPECT_EQ(second.status, 1);
    EXPECT_TRUE(has(second, "Another run is writing the results out in this folder")) << second.out;
    // Another name in the same folder is free.
    RunResult other = c.run(root, c.opening_answers("other") + RiverCase::kLayerOnlyAnswers);
    EXPECT_EQ(other.status, 0);
    first->answer("25\n");
    EXPECT_EQ(first->finish().status, 0);
    for (const char* suffix : kResultSuffixes) {
        const std::string name = std::string("out") + suffix;
        EXPECT_EQ(read_file(at(name)), expected.at(name)) << name;
    }
}

TEST_F(Trust, ARunWhoseConsoleIsNoLongerReadGoesOnToItsResults) {
    ASSERT_EQ(complete_run().status, 0);
    const Contents expected = folder_contents(c.folder(root));
    restore(c.folder(root), {});
    c.write(root);
    RunOptions piped;
    piped.env = {{"TARVEX_IMAGES", root / "images"}};
    // The console's reader takes one byte and goes.
    RunningProgram shell({"/bin/sh", "-c", std::string(TARVEX_BIN) + " | head -c 1 > /dev/null"}, root.path(), piped);
    shell.answer(c.opening_answers() + RiverCase::kLayerOnlyAnswers);
    EXPECT_EQ(shell.finish().status, 0);
    EXPECT_TRUE(folder_contents(c.folder(root)) == expected);
}

TEST_F(Trust, AFullDiskStopsTheRunAndKeepsThePreviousResults) {
    const std::string disk = root / "disk";
    std::filesystem::create_directory(disk);
    if (std::system(("mount -t tmpfs -o size=160k tmpfs " + disk + " 2>/dev/null").c_str()) != 0) {
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    }
    struct Unmount {
        std::string path;
        ~Unmount() {
            if (std::system(("umount -l " + path).c_str()) != 0) {
                ADD_FAILURE() << "cannot unmount " << path;
            }
        }
    } unmount{disk};
    RiverCase narrow = c;
    narrow.directory = "../disk";
    narrow.write(root);
    ASSERT_EQ(narrow.run(root, narrow.opening_answers() + RiverCase::kLayerOnlyAnswers).status, 0);
    const Contents before = folder_contents(disk);
    // The same result name for a wider river: its inputs (92 KiB) fit the disk beside the first
    // run's files (44 KiB), its results (76 KiB) do not.
    RiverCase wide = narrow.widened(5000);
    wide.mask_name = "wmask";
    wide.skel_name = "wskel";
    wide.dem_name = "wdem";
    wide.write(root);
    ASSERT_EQ(read_file(disk + "/wdem_m4.raw"), int_raster(wide.dem));
    RunResult r = wide.run(root, wide.opening_answers() + RiverCase::kLayerOnlyAnswers);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r, "No space left on device")) << r.out;
    Contents after = folder_contents(disk);
    for (const std::string& name : wide.input_names()) after.erase(name);
    EXPECT_TRUE(after == before);
}
