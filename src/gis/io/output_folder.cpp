#include "output_folder.h"

#include <cpl_conv.h>
#include <cpl_json.h>
#include <cpl_string.h>
#include <gdal.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <set>

#include "gdal_raster.h"
#include "gis_io.h"
#include "json_files.h"

namespace fs = std::filesystem;

namespace {

constexpr int kVirtualDepth = 4;  // virtual rasters of virtual rasters followed this deep

// The path as it stands on disk (links followed), or empty when it cannot be resolved.
fs::path resolved(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::weakly_canonical(path.empty() ? "." : path, ec);
    return ec ? fs::path() : p;
}

// True when `inner` is `outer` or lies below it.
bool within(const fs::path& inner, const fs::path& outer) {
    if (inner.empty() || outer.empty()) return false;
    const std::string i = inner.string(), o = outer.string();
    if (i == o) return true;
    const std::string prefix = o.back() == '/' ? o : o + "/";
    return i.compare(0, prefix.size(), prefix) == 0;
}

std::vector<fs::path> home_folders() {
    std::vector<fs::path> homes;
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') homes.push_back(resolved(home));
    if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr) {
        homes.push_back(resolved(user->pw_dir));
    }
    return homes;
}

bool mount_point(const fs::path& folder) {
    struct stat here {}, above {};
    if (::stat(folder.c_str(), &here) != 0 || ::stat((folder / "..").c_str(), &above) != 0) return false;
    return here.st_dev != above.st_dev || here.st_ino == above.st_ino;
}

// Why `folder` may never be replaced, or "" when it may.
std::string forbidden_place(const fs::path& folder) {
    if (folder.empty() || folder == folder.root_path()) return "the root folder";
    for (const fs::path& home : home_folders()) {
        if (folder == home) return "the home folder";
        if (within(home, folder)) return "a folder that holds the home folder " + home.string();
    }
    std::error_code ec;
    const fs::path here = resolved(fs::current_path(ec).string());
    if (folder == here) return "the current folder";
    if (within(here, folder)) return "a folder that holds the current folder";
    if (mount_point(folder)) return "a mount point";
    return "";
}

std::set<std::string> recorded_files(const std::string& out) {
    const std::string record = out + "/" + kFolderRecord;
    struct stat s {};
    if (::lstat(record.c_str(), &s) != 0 || !S_ISREG(s.st_mode)) {
        fail(out + " is not an earlier output of tarvex-gis (it holds no " + kFolderRecord +
             "): it is not replaced; choose another --out, or move it away yourself");
    }
    CPLJSONDocument doc;
    const CPLJSONObject root = doc.LoadMemory(read_text(record)) ? doc.GetRoot() : CPLJSONObject();
    const CPLJSONArray files = root.GetArray("files");
    if (root.GetString("made_by").rfind("tarvex-gis", 0) != 0 || !files.IsValid()) {
        fail(record + " is not a record tarvex-gis wrote: " + out + " is not replaced");
    }
    std::set<std::string> listed;
    for (int k = 0; k < files.Size(); ++k) listed.insert(files[k].ToString());
    return listed;
}

// Every file and folder below `folder`, relative to it (folders with a trailing '/'), links
// not followed; fails when it cannot be listed.
std::vector<std::string> contents(const std::string& folder, bool links_allowed) {
    std::vector<std::string> found;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().lexically_relative(folder).string();  // links not followed
        const fs::file_status s = it->symlink_status(ec);
        if (!links_allowed && fs::is_symlink(s)) {
            fail(folder + " holds the link " + name + ", which tarvex-gis never writes: it is not replaced");
        }
        found.push_back(fs::is_directory(s) ? name + "/" : name);
    }
    if (ec) fail("cannot list " + folder + ": " + ec.message());
    std::sort(found.begin(), found.end());
    return found;
}

void add_files_read_for(const std::string& path, int depth, std::vector<std::string>& files) {
    files.push_back(path);
    GDALDatasetH opened = open_dataset(path, GDAL_OF_RASTER | GDAL_OF_VECTOR);
    if (opened == nullptr) return;
    const GdalDataset dataset(path, opened);
    for (const std::string& f : dataset.files()) {
        if (std::find(files.begin(), files.end(), f) != files.end()) continue;
        if (depth > 0 && EQUAL(CPLGetExtension(f.c_str()), "vrt")) {
            add_files_read_for(f, depth - 1, files);
        } else {
            files.push_back(f);
        }
    }
}

}  // namespace

std::string folder_record(const std::string& folder, const std::string& made_by) {
    CPLJSONObject root;
    root.Add("made_by", made_by);
    CPLJSONArray files;
    for (const std::string& name : contents(folder, true)) {
        if (name != kFolderRecord) files.Add(name);
    }
    root.Add("files", files);
    return json_document(root);
}

void check_holds_no_input(const std::string& folder, const std::vector<std::string>& inputs) {
    const fs::path f = resolved(folder);
    for (const std::string& input : inputs) {
        if (within(resolved(input), f)) {
            fail(folder + " holds the input " + input + ": an output never replaces its inputs, choose another --out");
        }
    }
}

void check_replaceable(const std::string& out, const std::vector<std::string>& inputs) {
    struct stat s {};
    if (::lstat(out.c_str(), &s) != 0) fail("cannot look at " + out + ": " + std::strerror(errno));
    if (S_ISLNK(s.st_mode)) fail(out + " is a link: only a folder tarvex-gis wrote is replaced");
    if (!S_ISDIR(s.st_mode)) fail(out + " is not a folder: it cannot hold the flood's files, and it is not replaced");
    const std::string never = forbidden_place(resolved(out));
    if (!never.empty()) fail(out + " is " + never + ": it is never replaced, choose another --out");
    check_holds_no_input(out, inputs);
    const std::set<std::string> listed = recorded_files(out);
    for (const std::string& name : contents(out, false)) {
        if (name == kFolderRecord || listed.count(name) != 0) continue;
        fail(out + " holds " + name + ", which tarvex-gis did not write there: it is not replaced; move " + name +
             " away, or choose another --out");
    }
}

std::vector<std::string> files_read_for(const std::string& path) {
    std::vector<std::string> files;
    if (!path.empty()) add_files_read_for(path, kVirtualDepth, files);
    return files;
}

std::string new_hidden_folder(const std::string& out) {
    const fs::path final_path(out);
    const fs::path parent = final_path.parent_path().empty() ? fs::path(".") : final_path.parent_path();
    std::mt19937_64 random(std::random_device{}());
    const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "." + final_path.filename().string() + ".";
        for (int k = 0; k < 6; ++k) name += letters[random() % (sizeof letters - 1)];
        const std::string path = (parent / name).string();
        if (::mkdir(path.c_str(), 0777) == 0) return path;
        if (errno != EEXIST) break;
    }
    fail("cannot create a folder beside " + out + ": " + std::strerror(errno));
}
