#include "flood_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "flood_files.h"
#include "gis_io.h"
#include "output_folder.h"
#include "outputs.h"

namespace fs = std::filesystem;

namespace {

bool exists(const std::string& path) {
    struct stat s {};
    return ::lstat(path.c_str(), &s) == 0;
}

// Renames `from` to `to` only when nothing is at `to`, in one step where the file system can.
bool rename_new(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    if (exists(to)) {
        errno = EEXIST;
        return false;
    }
    return std::rename(from.c_str(), to.c_str()) == 0;
}

// Removes a folder of ours with all it holds; what cannot be removed stays (and is named).
void remove_folder(const std::string& path) {
    std::error_code ec;
    fs::remove_all(path, ec);
    if (ec) note("cannot remove " + path + ": " + ec.message());
}

// What the command writing the folder makes, for its messages.
std::string work_of(const std::string& made_by) {
    return made_by == "tarvex-gis evaluate" ? "the evaluation" : "the flood";
}

std::string appeared(const std::string& out, const std::string& work) {
    return out + " appeared while " + work + " ran: it is kept as it is, and " + work +
           "'s files are not written there; add --overwrite to replace it";
}

}  // namespace

void write_record(const std::string& folder, const std::string& made_by) {
    GisOutputs record(false);  // synced with the whole folder at its commit
    record.write_text(folder + "/" + kFolderRecord, folder_record(folder, made_by));
    record.commit();
}

FloodFolder::FloodFolder(const std::string& out, bool overwrite, const std::vector<std::string>& inputs,
                         const std::string& made_by)
    : out_(out), made_by_(made_by), files_(work_of(made_by) + "'s files"), overwrite_(overwrite) {
    while (out_.size() > 1 && out_.back() == '/') out_.pop_back();
    const bool there = exists(out_);
    if (there && !overwrite) fail(out_ + " exists already: add --overwrite to replace it");
    for (const std::string& input : inputs) {
        for (const std::string& file : files_read_for(input)) inputs_.push_back(file);
    }
    if (there) check_replaceable(out_, inputs_);
    // Made and registered with the registry held: an interruption comes wholly before or after.
    gis_temporaries().while_held([this](const Temporaries::Held& held) {
        work_ = new_hidden_folder(out_);
        held.add(work_);
    });
}

FloodFolder::~FloodFolder() {
    if (committed_) return;
    std::error_code ec;
    fs::remove_all(work_, ec);
    gis_temporaries().forget(work_);
}

std::string FloodFolder::at(const std::string& name) const { return work_ + "/" + name; }
std::string FloodFolder::final_path(const std::string& name) const { return out_ + "/" + name; }

FloodPlace FloodFolder::place(const std::string& sub, bool with_run) const {
    if (gis_temporaries().stopping()) fail("interrupted");
    FloodPlace p{sub.empty() ? work_ : work_ + "/" + sub, sub.empty() ? out_ : out_ + "/" + sub};
    make_folders_below(work_, with_run ? (fs::path(sub) / "run").string() : sub);
    return p;
}

void make_folders_below(const std::string& root, const std::string& relative) {
    fs::path made(root);
    for (const fs::path& part : fs::path(relative)) {
        if (part.empty()) continue;
        made /= part;
        std::error_code ec;
        fs::create_directory(made, ec);
        if (ec) fail("cannot create " + made.string() + ": " + ec.message());
    }
}

std::string FloodFolder::named(const std::string& message) const {
    std::string m = message;
    for (std::size_t at = m.find(work_); at != std::string::npos; at = m.find(work_, at + out_.size())) {
        m.replace(at, work_.size(), out_);
    }
    return m;
}

void FloodFolder::commit() {
    write_record(work_, made_by_);
    // Every file of the folder on disk before it takes FOLDER's place: one sync of the file
    // system instead of one per file.
    const int fd = ::open(work_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::syncfs(fd) != 0) fail("cannot sync " + files_ + " in " + out_ + ": " + std::strerror(errno));
    ::close(fd);
    if (!exists(out_)) return move_in();
    if (!overwrite_) fail(appeared(out_, work_of(made_by_)));
    check_replaceable(out_, inputs_);
    replace();
}

void FloodFolder::move_in() {
    int error = 0;
    gis_temporaries().while_held([&](const Temporaries::Held& held) {
        if (gis_temporaries().stopping()) {
            error = EINTR;  // an interruption has begun: nothing more lands
        } else if (rename_new(work_, out_)) {
            held(work_);
        } else {
            error = errno;
        }
    });
    if (error == EINTR) fail("interrupted");
    if (error == EEXIST || error == ENOTEMPTY) fail(appeared(out_, work_of(made_by_)));
    if (error != 0) fail("cannot move " + files_ + " into " + out_ + ": " + std::strerror(error));
    committed_ = true;
}

// The old FOLDER goes into a hidden folder beside it and the new one takes its place, with
// the registry held, so an interruption sees one or the other; the hidden folder is then
// registered, and an interruption before it is removed removes it.
void FloodFolder::replace() {
    const std::string aside = new_hidden_folder(out_), was = aside + "/was";
    int error = 0;
    bool moved_aside = false, put_back = true;
    gis_temporaries().while_held([&](const Temporaries::Held& held) {
        if (gis_temporaries().stopping()) {
            error = EINTR;  // an interruption has begun: nothing more lands
            return;
        }
        moved_aside = std::rename(out_.c_str(), was.c_str()) == 0;
        if (moved_aside && rename_new(work_, out_)) {
            held(work_);
            held.add(aside);
            committed_ = true;
            return;
        }
        error = errno;
        if (moved_aside) put_back = std::rename(was.c_str(), out_.c_str()) == 0;
    });
    if (committed_) {
        remove_folder(aside);
        gis_temporaries().forget(aside);
        return;
    }
    if (!put_back) {
        fail("cannot move " + files_ + " into " + out_ + ": " + std::strerror(error) +
             "; nor could the previous folder be put back: it is now " + was);
    }
    ::rmdir(aside.c_str());
    if (error == EINTR) fail("interrupted");
    fail("cannot " + (moved_aside ? "move " + files_ + " into " : std::string("move the previous folder aside from ")) +
         out_ + ": " + std::strerror(error) + "; the previous folder is in place, as it was");
}
