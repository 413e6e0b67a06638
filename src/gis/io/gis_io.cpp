#include "gis_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "file_formats.h"
#include "stop.h"

void fail(const std::string& message) { throw Stop(message); }

std::string storage_trouble(int error) {
    if (error == ENOSPC) return "the disk is full (" + std::string(std::strerror(error)) + ")";
    if (error == EDQUOT) return "the disk quota is full (" + std::string(std::strerror(error)) + ")";
    if (error == EFBIG) return std::strerror(error);
    return "";
}

std::string error_text(int error) {
    const std::string trouble = storage_trouble(error);
    return trouble.empty() ? std::strerror(error) : trouble;
}

void note(const std::string& text) { std::fprintf(stderr, "tarvex-gis: note: %s\n", text.c_str()); }

int unit_factor(const std::string& unit) {
    if (unit == "m") return 1;
    if (unit == "dm") return 10;
    if (unit == "cm") return 100;
    if (unit == "mm") return 1000;
    fail("unknown unit '" + unit + "': use m, dm, cm or mm");
}

namespace {

const char* special_kind(mode_t mode) {
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    return "not a regular file";
}

}  // namespace

bool path_exists(const std::string& path) {
    struct stat s {};
    return ::stat(path.c_str(), &s) == 0;
}

void check_input(const std::string& path, bool folder_allowed) {
    struct stat s {};
    if (::stat(path.c_str(), &s) != 0) {
        if (errno == ENOENT) fail("no such file: " + path);
        fail("cannot open " + path + ": " + std::strerror(errno));
    }
    if (S_ISREG(s.st_mode)) {
        // Opening a regular file does not wait; a file that cannot be read says why now,
        // rather than as a raster GDAL cannot read.
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) fail("cannot open " + path + ": " + std::strerror(errno));
        ::close(fd);
        return;
    }
    if (folder_allowed && S_ISDIR(s.st_mode)) return;
    if (S_ISDIR(s.st_mode)) fail(path + " is a folder, not a raster file");
    fail(path + " is not a regular file (it is " + special_kind(s.st_mode) + "): it cannot be read as a raster");
}

void check_new(const std::string& path, bool overwrite) {
    std::error_code ec;
    const bool taken = std::filesystem::exists(std::filesystem::symlink_status(path, ec));
    if (!overwrite && taken) fail(path + " exists already: add --overwrite to replace it");
}

std::vector<int> read_descriptor_file(const std::string& path) {
    check_input(path, false);
    std::vector<int> fields(6, 0);
    int* const targets[6] = {&fields[0], &fields[1], &fields[2], &fields[3], &fields[4], &fields[5]};
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) fail("cannot open " + path + ": " + std::strerror(errno));
    const int read = read_descriptor(file, targets);
    std::fclose(file);
    if (read < 6 || fields[0] <= 0 || fields[1] <= 0) fail(path + " is not a descriptor of six integers");
    return fields;
}

std::string read_text(const std::string& path) {
    check_input(path, false);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) fail("cannot open " + path + ": " + std::strerror(errno));
    std::string text;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    std::fclose(file);
    if (failed) fail("cannot read " + path + ": " + std::strerror(error));
    return text;
}

std::string with_extension(const std::string& path, const char* suffix) {
    return std::filesystem::path(path).replace_extension(suffix).string();
}
