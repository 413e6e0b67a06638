// All-or-nothing result files: what a commit, a set that goes uncommitted and the lock leave
// in a folder.
#include "output_set.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>

#include "test_support.h"

namespace {

bool is_link(const std::string& path) { return std::filesystem::is_symlink(std::filesystem::symlink_status(path)); }

void put(OutputSet& set, const std::string& path, const std::string& text) {
    std::FILE* f = set.create(path, "w");
    ASSERT_NE(f, nullptr) << path;
    std::fputs(text.c_str(), f);
    ASSERT_TRUE(set.close(f));
}

// A folder holding an earlier "b.txt", and a set writing a new "a.txt" and "b.txt".
struct Folder : ::testing::Test {
    TempDir dir;
    Temporaries temporaries;
    void SetUp() override { write_file(dir / "b.txt", "old b"); }
    void write_a_and_b(OutputSet& set) {
        put(set, dir / "a.txt", "new a");
        put(set, dir / "b.txt", "new b");
    }
};

// The syncs of a set writing the five results of a run: for each file synced, whether one of
// the final names held it already; for each folder synced, how many results were in place.
struct SyncedResults : ::testing::Test {
    TempDir dir;
    Temporaries temporaries;
    std::vector<std::string> finals;
    std::map<ino_t, bool> synced;
    std::vector<long> placed_at_folder_sync;
    void SetUp() override {
        for (const char* name : {"r_tarvex_m4.raw", "r_tarvex_m4.txt", "r_tarvex.xls", "r_tarvex.raw", "r_tarvex.txt"}) {
            finals.push_back(dir / name);
        }
    }
    std::vector<ino_t> at_final_names() const {
        std::vector<ino_t> files;
        for (const std::string& f : finals) {
            struct stat s {};
            if (::lstat(f.c_str(), &s) == 0) files.push_back(s.st_ino);
        }
        return files;
    }
    int record(int fd) {
        struct stat s {};
        if (::fstat(fd, &s) != 0) return -1;
        const std::vector<ino_t> placed = at_final_names();
        if (S_ISDIR(s.st_mode)) {
            placed_at_folder_sync.push_back(
                std::count_if(placed.begin(), placed.end(), [this](ino_t f) { return synced.count(f) != 0; }));
        } else {
            synced[s.st_ino] = std::find(placed.begin(), placed.end(), s.st_ino) != placed.end();
        }
        return 0;
    }
};

}  // namespace

TEST_F(Folder, NothingAppearsUnderAFinalNameBeforeTheCommitAndEverythingAfter) {
    {
        OutputSet set(&temporaries);
        write_a_and_b(set);
        std::FILE* open = set.create(dir / "c.raw", "wb");  // still open at the commit
        std::fputs("new c", open);
        EXPECT_EQ(temporaries.size(), 3u);
        EXPECT_EQ(read_file(dir / "b.txt"), "old b");
        EXPECT_EQ(folder_files(dir.path()).size(), 4u);  // b and three hidden temporaries
        EXPECT_TRUE(set.commit());
        EXPECT_EQ(temporaries.size(), 0u);
    }
    EXPECT_EQ(folder_files(dir.path()), (std::vector<std::string>{"a.txt", "b.txt", "c.raw"}));
    EXPECT_EQ(read_file(dir / "b.txt"), "new b");
    EXPECT_EQ(read_file(dir / "c.raw"), "new c");
}

TEST_F(Folder, ASetThatGoesWithoutACommitLeavesTheFolderAsItWas) {
    {
        OutputSet set(&temporaries);
        write_a_and_b(set);
        std::FILE* open = set.create(dir / "d.txt", "w");
        std::fputs("new d", open);
        EXPECT_FALSE(set.reserve(dir / "c.tif").empty());
    }
    EXPECT_EQ(temporaries.size(), 0u);
    EXPECT_EQ(folder_files(dir.path()), std::vector<std::string>{"b.txt"});
    EXPECT_EQ(read_file(dir / "b.txt"), "old b");
}

TEST(OutputSet, NamesAreReplacedNeverWrittenThrough) {
    TempDir dir;
    write_file(dir / "target", "another file");
    std::filesystem::create_symlink(dir / "target", dir / "a.txt");
    std::filesystem::create_symlink(dir / "missing", dir / "b.txt");
    OutputSet set;
    put(set, dir / "a.txt", "new a");
    put(set, dir / "b.txt", "new b");
    ASSERT_TRUE(set.commit());
    EXPECT_FALSE(is_link(dir / "a.txt"));
    EXPECT_FALSE(is_link(dir / "b.txt"));
    EXPECT_EQ(read_file(dir / "target"), "another file");
    EXPECT_FALSE(file_exists(dir / "missing"));
    EXPECT_EQ(read_file(dir / "a.txt"), "new a");
}

TEST(OutputSet, AFolderAtAFinalNameOrAMissingFolderIsRefusedAtCreation) {
    TempDir dir;
    std::filesystem::create_directory(dir / "a.txt");
    OutputSet set;
    errno = 0;
    EXPECT_EQ(set.create(dir / "a.txt", "w"), nullptr);
    EXPECT_EQ(errno, EISDIR);
    EXPECT_EQ(set.create(dir / "no/b.txt", "w"), nullptr);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(folder_files(dir.path()), std::vector<std::string>{"a.txt"});
}

TEST(OutputSet, OneHolderOfALockAtATimeAndTheLockFileGoesWithIt) {
    TempDir dir;
    const std::string lock = dir / ".r.lock";
    {
        OutputSet first, second;
        EXPECT_EQ(first.lock(lock), OutputSet::Lock::taken);
        EXPECT_EQ(second.lock(lock), OutputSet::Lock::held_by_another);
        EXPECT_TRUE(file_exists(lock));
    }
    EXPECT_FALSE(file_exists(lock));
    OutputSet third;
    EXPECT_EQ(third.lock(lock), OutputSet::Lock::taken);
    std::filesystem::create_symlink(dir / "elsewhere", dir / ".link.lock");
    EXPECT_EQ(third.lock(dir / ".link.lock"), OutputSet::Lock::failed);  // never through a link
    EXPECT_FALSE(file_exists(dir / "elsewhere"));
}

TEST(WriteNewFile, CreatesAFileWholeAndNeverReplacesOne) {
    TempDir dir;
    ASSERT_TRUE(write_new_file(dir / "d.txt", "3\n4\n", nullptr));
    EXPECT_EQ(read_file(dir / "d.txt"), "3\n4\n");
    errno = 0;
    EXPECT_FALSE(write_new_file(dir / "d.txt", "other", nullptr));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(read_file(dir / "d.txt"), "3\n4\n");
    EXPECT_EQ(folder_files(dir.path()), std::vector<std::string>{"d.txt"});
}

// Each way a result is written (closed by the caller, still open at the commit, written by a
// library through its path) is synced before it takes its name; the folder after all of them.
TEST_F(SyncedResults, EachResultIsSyncedBeforeItsRenameAndTheFolderAfterThemAll) {
    {
        OutputSet set(&temporaries, true, [this](int fd) { return record(fd); });
        for (std::size_t k = 0; k < 3; ++k) put(set, finals[k], "new " + finals[k]);
        std::fputs("left open", set.create(finals[3], "wb"));
        write_file(set.reserve(finals[4]), "by its path");
        ASSERT_TRUE(set.commit());
    }
    const std::vector<ino_t> placed = at_final_names();
    ASSERT_EQ(placed.size(), finals.size());
    for (std::size_t k = 0; k < placed.size(); ++k) {
        const auto sync = synced.find(placed[k]);
        EXPECT_TRUE(sync != synced.end() && !sync->second) << finals[k] << (sync == synced.end() ? " never synced" : " synced in place");
    }
    EXPECT_EQ(placed_at_folder_sync, std::vector<long>{5});
}

// Whether the set wrote the file or a library wrote it by its path.
TEST_F(Folder, ASyncThatFailsStopsTheCommitBeforeAnyRename) {
    for (const bool by_path : {false, true}) {
        {
            OutputSet set(&temporaries, true, [](int) {
                errno = EIO;
                return -1;
            });
            if (by_path) {
                write_file(set.reserve(dir / "b.txt"), "new b");
            } else {
                std::fputs("new b", set.create(dir / "b.txt", "w"));
            }
            errno = 0;
            EXPECT_FALSE(set.commit()) << by_path;
            EXPECT_EQ(errno, EIO);
            EXPECT_EQ(set.failed_path(), dir / "b.txt");
        }
        EXPECT_EQ(folder_files(dir.path()), std::vector<std::string>{"b.txt"});
        EXPECT_EQ(read_file(dir / "b.txt"), "old b");
    }
}
