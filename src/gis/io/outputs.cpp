#include "outputs.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "gis_io.h"
#include "resources.h"

namespace {

// The reason of a failed call, for a message; a write that failed without saying why is an
// input/output error.
std::string reason() { return error_text(errno != 0 ? errno : EIO); }

}  // namespace

Temporaries& gis_temporaries() {
    static Temporaries temporaries;
    return temporaries;
}

std::FILE* GisOutputs::create(const std::string& path) {
    if (gis_temporaries().stopping()) fail("interrupted");
    errno = 0;
    std::FILE* file = set_.create(path, "wb");
    if (file == nullptr) fail("cannot create " + path + ": " + reason());
    return file;
}

std::string GisOutputs::reserve(const std::string& path) {
    if (gis_temporaries().stopping()) fail("interrupted");
    errno = 0;
    std::string temporary = set_.reserve(path);
    if (temporary.empty()) fail("cannot create " + path + ": " + reason());
    return temporary;
}

void GisOutputs::write(std::FILE* file, const void* bytes, std::size_t size, const std::string& path) {
    errno = 0;
    if (std::fwrite(bytes, 1, size, file) != size) fail("cannot write " + path + ": " + reason());
}

void GisOutputs::close(std::FILE*& file, const std::string& path) {
    errno = 0;
    if (!set_.close(file)) fail("cannot write " + path + ": " + reason());
}

void GisOutputs::write_text(const std::string& path, const std::string& text) {
    std::FILE* file = create(path);
    write(file, text.data(), text.size(), path);
    close(file, path);
}

void GisOutputs::commit() {
    errno = 0;
    if (!set_.commit()) fail("cannot move " + set_.failed_path() + " into place: " + reason());
}

void check_disk_room(const std::vector<std::string>& outputs, std::uint64_t bytes) {
    if (outputs.empty()) return;
    std::string folder = std::filesystem::path(outputs.front()).parent_path().string();
    if (folder.empty()) folder = ".";
    const std::uint64_t free = free_disk_space(folder);
    if (bytes <= free) return;
    fail("not enough disk space: " + outputs.front() + (outputs.size() > 1 ? " and the files beside it" : "") +
         " need " + size_text(bytes) + ", and " + folder + " has " + size_text(free) + " free");
}
