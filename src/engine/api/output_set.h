// All-or-nothing result files. Each result is written under a hidden temporary name in its
// final folder; commit() moves the whole set into place, each file synced first, so a reader
// of the folder finds the previous complete set or the new one, never a part of either. A set
// that goes without a commit removes its temporaries: a stopped run changes no result file. A
// result name is replaced, never written through: a link standing there is replaced by the new
// file, and its target is left alone.
// Public: the GIS writes every output of its own through sets committed whole.
#ifndef TARVEX_OUTPUT_SET_H
#define TARVEX_OUTPUT_SET_H

#include <unistd.h>

#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "temporaries.h"

class OutputSet {
public:
    // Puts an open file or folder on disk, as fsync does: 0 when done, else -1 with errno set.
    using SyncFn = std::function<int(int fd)>;

    // `temporaries`, when given, learns every temporary and the lock, so that an interrupting
    // signal removes them. Without `sync`, files are not synced one by one: for a set written
    // inside a folder that is itself synced whole and moved into place once complete.
    // Every sync goes through `sync_fd`, so that a test can see what is synced and when.
    explicit OutputSet(Temporaries* temporaries = nullptr, bool sync = true, SyncFn sync_fd = ::fsync);
    // Closes and removes the temporaries not committed, and releases the lock.
    ~OutputSet();
    OutputSet(const OutputSet&) = delete;
    OutputSet& operator=(const OutputSet&) = delete;

    // The advisory lock of a set of results, taken at `path` (a hidden file beside them) and
    // kept until the set goes: two writers of one result name cannot both hold it.
    enum class Lock { taken, held_by_another, failed };
    Lock lock(const std::string& path);

    // Creates the temporary of the result `final_path` and opens it in `mode` ("w" or "wb").
    // Null, with errno set, when it cannot be created or a folder stands at `final_path`.
    std::FILE* create(const std::string& final_path, const char* mode);
    // Creates the temporary of `final_path` for a library that writes files by their path, and
    // returns the temporary's path; empty, with errno set, as for create().
    std::string reserve(const std::string& final_path);

    // Flushes, syncs and closes a stream from create(). False when a write failed on the way;
    // the stream is closed all the same.
    bool close(std::FILE*& file);

    // Closes any stream still open, syncs every file and moves each onto its final name, in
    // the order they were created, then syncs their folders. Without `replace`, a final name
    // that exists is left alone and the commit fails with EEXIST (for files that must only
    // ever be created). False, with errno and failed_path() set, on the first failure.
    bool commit(bool replace = true);
    const std::string& failed_path() const { return failed_path_; }

private:
    struct Entry {
        std::string final_path, temporary;
        std::FILE* stream = nullptr;
        bool synced = false;
        bool committed = false;
    };

    std::string new_temporary(const std::string& final_path, int& fd);
    // Opens `path` with `flags` (and an exclusive lock when `locked`), registering it as a
    // temporary when it opens; -1 with errno set when it does not.
    int open_registered(const std::string& path, int flags, bool locked);
    bool fail(const std::string& path);
    bool sync_entry(Entry& e);
    bool move_into_place(const Entry& e, bool replace);
    void release_lock();

    bool sync_path(const std::string& path);
    void sync_folder(const std::string& folder);

    Temporaries* temporaries_;
    bool sync_;
    SyncFn sync_fd_;
    std::vector<Entry> entries_;
    std::string lock_path_;
    int lock_fd_ = -1;
    std::string failed_path_;
    std::mt19937_64 random_;
};

// Writes `content` as the new file `path` in one piece: a file that already exists is left
// alone (EEXIST). False, with errno set, when it cannot be written.
bool write_new_file(const std::string& path, const std::string& content, Temporaries* temporaries);

#endif
