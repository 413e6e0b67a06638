#include "input_guard.h"

#include <sys/stat.h>

#include <filesystem>

#include "file_formats.h"
#include "gis_io.h"

namespace {

// Two names of one existing file, links followed.
bool same_file(const std::string& a, const std::string& b) {
    struct stat x {
    }, y{};
    return ::stat(a.c_str(), &x) == 0 && ::stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

// Two names of one place, whether or not a file is there yet.
bool same_name(const std::string& a, const std::string& b) {
    std::error_code ea, eb;
    const auto x = std::filesystem::weakly_canonical(a, ea), y = std::filesystem::weakly_canonical(b, eb);
    return !ea && !eb && x == y;
}

}  // namespace

void InputGuard::add(const std::string& input, const std::vector<std::string>& files) {
    guarded_.push_back({input, input});
    for (const std::string& f : files) guarded_.push_back({f, input});
    guarded_.push_back({input + ".aux.xml", input});
    const std::string descriptor = descriptor_path(input);
    if (!descriptor.empty()) {
        guarded_.push_back({descriptor, input});
        guarded_.push_back({with_extension(input, kEnviHeader), input});
    }
}

void InputGuard::check(const std::vector<std::string>& outputs) const {
    for (const std::string& out : outputs) {
        for (const Guarded& g : guarded_) {
            if (!same_file(out, g.path) && !same_name(out, g.path)) continue;
            const std::string what =
                g.path == g.input ? "the input " + g.input : g.path + ", which belongs to the input " + g.input;
            fail(out + " would replace " + what + ": an output never replaces an input, choose another name");
        }
    }
}
