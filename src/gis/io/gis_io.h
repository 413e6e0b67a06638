// What the commands of tarvex-gis share: failing with a message, notes, the DEM units, the
// checks every input and output name goes through, and tarvex's six-integer descriptors.
#ifndef TARVEX_GIS_IO_H
#define TARVEX_GIS_IO_H

#include <new>
#include <string>
#include <vector>

// Ends the command: throws the one error of a run (Stop) with `message`; `main` prints
// "tarvex-gis: <message>" and exits with status 1. The outputs not yet committed go with the
// stack, so a failed command leaves no file behind.
[[noreturn]] void fail(const std::string& message);

// What a failed write's error `error` means for the user, when it is the storage's doing: "the
// disk is full", "the disk quota is full", "File too large" (past the file size limit); ""
// for any other error.
std::string storage_trouble(int error);
// The words for a failed call's `error`: the storage's trouble when it is that, else strerror's.
std::string error_text(int error);

// Runs `work`; memory running out in it fails naming the step ("not enough memory to `what`").
template <typename Work>
auto step(const char* what, Work work) -> decltype(work()) {
    try {
        return work();
    } catch (const std::bad_alloc&) {
        fail(std::string("not enough memory to ") + what);
    }
}

// Prints "tarvex-gis: note: <text>" on the error stream (standard output stays for results).
void note(const std::string& text);

// DEM units per metre for "m", "dm", "cm" or "mm"; anything else fails.
int unit_factor(const std::string& unit);

// An input must exist and be something that can be read without waiting: a regular file, or
// (for GDAL, when `folder_allowed`) a folder. FIFOs, devices and sockets fail at once, so that
// no open ever blocks on them. Links are followed.
void check_input(const std::string& path, bool folder_allowed);

// Whether `path` names something that exists (links followed).
bool path_exists(const std::string& path);

// Fails when something stands at `path` (a link counts, even a broken one) and overwriting was
// not asked for.
void check_new(const std::string& path, bool overwrite);

// The six integers of a descriptor (or of a run report); fails when fewer are found or the
// grid has no cell.
std::vector<int> read_descriptor_file(const std::string& path);
// The whole of a small text file; fails when it cannot be read.
std::string read_text(const std::string& path);

// The ENVI header beside a raw raster, which lets GDAL and QGIS open it.
inline constexpr const char* kEnviHeader = ".hdr";

// The path with `suffix` in place of its extension ("a/b_m4.raw", ".hdr" gives "a/b_m4.hdr").
std::string with_extension(const std::string& path, const char* suffix);

#endif
