#include "output_set.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <set>
#include <utility>

namespace {

constexpr int kNameTries = 100;

std::string folder_of(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

bool is_folder(const std::string& path) {
    struct stat s {};
    return ::lstat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

// Moves `from` onto `to` only when `to` does not exist. A hard link does that in one step;
// where the file system has none, the check and the rename are two.
bool move_new(const std::string& from, const std::string& to) {
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());  // the file is in place; a name left over would be hidden
        return true;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS) return false;
    struct stat s {};
    if (::lstat(to.c_str(), &s) == 0) {
        errno = EEXIST;
        return false;
    }
    return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace

OutputSet::OutputSet(Temporaries* temporaries, bool sync, SyncFn sync_fd)
    : temporaries_(temporaries), sync_(sync), sync_fd_(std::move(sync_fd)), random_(std::random_device{}()) {}

bool OutputSet::sync_path(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    const bool synced = sync_fd_(fd) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    return synced;
}

// Syncs a folder, so that the renames into it survive a power cut.
void OutputSet::sync_folder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)sync_fd_(fd);  // some file systems cannot sync a folder; the renames are done anyway
    ::close(fd);
}

OutputSet::~OutputSet() {
    for (Entry& e : entries_) {
        if (e.stream != nullptr) std::fclose(e.stream);
        if (e.committed) continue;
        ::unlink(e.temporary.c_str());
        if (temporaries_ != nullptr) temporaries_->forget(e.temporary);
    }
    release_lock();
}

bool OutputSet::fail(const std::string& path) {
    const int error = errno;
    failed_path_ = path;
    errno = error;
    return false;
}

// A hidden name beside `final_path` that no other file has: "." + the file's stem, a random
// part and the file's extension (some libraries choose a format by it).
std::string OutputSet::new_temporary(const std::string& final_path, int& fd) {
    const std::filesystem::path final_name(final_path);
    const std::string folder = final_name.parent_path().string();
    const std::string prefix = (folder.empty() ? "" : folder + "/") + "." + final_name.stem().string() + ".";
    char part[17];
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        std::snprintf(part, sizeof part, "%016llx", static_cast<unsigned long long>(random_()));
        const std::string name = prefix + part + final_name.extension().string();
        fd = open_registered(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, false);
        if (fd >= 0) return name;
        if (errno != EEXIST) break;
    }
    return std::string();
}

std::string OutputSet::reserve(const std::string& final_path) {
    if (is_folder(final_path)) {
        errno = EISDIR;
        return std::string();
    }
    int fd = -1;
    std::string temporary = new_temporary(final_path, fd);
    if (temporary.empty()) return temporary;
    ::close(fd);
    entries_.push_back(Entry{final_path, temporary});
    return temporary;
}

std::FILE* OutputSet::create(const std::string& final_path, const char* mode) {
    if (reserve(final_path).empty()) return nullptr;
    Entry& e = entries_.back();
    e.stream = std::fopen(e.temporary.c_str(), mode);
    if (e.stream == nullptr) return nullptr;  // the temporary goes with the set
    return e.stream;
}

bool OutputSet::close(std::FILE*& file) {
    for (Entry& e : entries_) {
        if (e.stream != file || file == nullptr) continue;
        errno = 0;
        bool ok = std::fflush(e.stream) == 0 && std::ferror(e.stream) == 0 && (!sync_ || sync_fd_(::fileno(e.stream)) == 0);
        int error = errno;
        if (std::fclose(e.stream) != 0 && ok) {
            ok = false;
            error = errno;
        }
        e.stream = nullptr;
        e.synced = ok;
        file = nullptr;
        if (ok) return true;
        errno = error != 0 ? error : EIO;  // a write that failed earlier left no cause behind
        return fail(e.final_path);
    }
    return true;
}

bool OutputSet::sync_entry(Entry& e) {
    if (e.stream != nullptr) {
        std::FILE* stream = e.stream;
        return close(stream);
    }
    if (!e.synced) e.synced = !sync_ || sync_path(e.temporary);
    return e.synced || fail(e.final_path);
}

bool OutputSet::move_into_place(const Entry& e, bool replace) {
    if (replace) return std::rename(e.temporary.c_str(), e.final_path.c_str()) == 0;
    return move_new(e.temporary, e.final_path);
}

bool OutputSet::commit(bool replace) {
    for (Entry& e : entries_) {
        if (!sync_entry(e)) return false;
    }
    bool ok = true;
    auto rename_all = [&](const auto& forget) {
        for (Entry& e : entries_) {
            if (e.committed) continue;
            if (!move_into_place(e, replace)) {
                ok = fail(e.final_path);
                return;
            }
            e.committed = true;
            forget(e.temporary);
        }
    };
    if (temporaries_ != nullptr) {
        temporaries_->while_held(rename_all);
    } else {
        rename_all([](const std::string&) {});
    }
    std::set<std::string> folders;
    for (const Entry& e : entries_) folders.insert(folder_of(e.final_path));
    for (const std::string& folder : folders) {
        if (sync_) sync_folder(folder);
    }
    return ok;
}

int OutputSet::open_registered(const std::string& path, int flags, bool locked) {
    int fd = -1;
    // Made, locked and registered in one step with the registry held: an interruption, which
    // removes what the registry holds, comes wholly before (the file is not made) or after.
    auto make = [&] {
        fd = ::open(path.c_str(), flags, 0666);
        if (fd < 0 || !locked || ::flock(fd, LOCK_EX | LOCK_NB) == 0) return;
        const int error = errno;
        ::close(fd);
        fd = -1;
        errno = error;
    };
    if (temporaries_ == nullptr) {
        make();
        return fd;
    }
    temporaries_->while_held([&](const Temporaries::Held& held) {
        make();
        if (fd >= 0) held.add(path);
    });
    return fd;
}

OutputSet::Lock OutputSet::lock(const std::string& path) {
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        // Another's lock file is never registered as ours: only one we hold.
        const int fd = open_registered(path, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, true);
        if (fd < 0) {
            const int error = errno;
            fail(path);
            return error == EWOULDBLOCK ? Lock::held_by_another : Lock::failed;
        }
        // The holder before us removes the file when it lets go: a lock taken on a file that
        // is no longer at `path` locks nothing, so take it again on the new one.
        struct stat held {}, named {};
        if (::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino) {
            lock_path_ = path;
            lock_fd_ = fd;
            return Lock::taken;
        }
        if (temporaries_ != nullptr) temporaries_->forget(path);  // the name is another's now
        ::close(fd);
    }
    errno = EAGAIN;
    fail(path);
    return Lock::failed;
}

void OutputSet::release_lock() {
    if (lock_fd_ < 0) return;
    ::unlink(lock_path_.c_str());  // while still held, so nobody locks the file being removed
    ::close(lock_fd_);
    lock_fd_ = -1;
    if (temporaries_ != nullptr) temporaries_->forget(lock_path_);
}

bool write_new_file(const std::string& path, const std::string& content, Temporaries* temporaries) {
    OutputSet file(temporaries);
    std::FILE* stream = file.create(path, "w");
    if (stream == nullptr) return false;
    const bool written = std::fwrite(content.data(), 1, content.size(), stream) == content.size();
    if (!file.close(stream) || !written) return false;
    return file.commit(false);
}
