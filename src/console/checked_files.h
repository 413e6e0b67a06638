// Opening, closing and committing the files of a run, where a failure ends the run with a
// message naming the file and the cause.
#ifndef TARVEX_CHECKED_FILES_H
#define TARVEX_CHECKED_FILES_H

#include <cstdio>
#include <memory>
#include <string>

#include "console.h"
#include "output_set.h"

// A file open for reading, closed when it goes.
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using InputFile = std::unique_ptr<std::FILE, FileCloser>;

// An input file opened for reading, or why it could not be.
struct InputOpening {
    InputFile file;
    bool missing = false;  // no such file (and only that)
    std::string reason;    // why it cannot be read otherwise: "Permission denied", "not a regular file"
};

// Opens an input for reading (`mode` "r" or "rb") without ever blocking: a FIFO, a device, a
// folder or a socket is refused as "not a regular file" before anything is read from it.
InputOpening open_input(const std::string& path, const char* mode);

// The same, where a missing file prints "No File <path>" and any other failure names its cause;
// both are fatal stops.
InputFile open_input_or_stop(Console& con, const std::string& path, const char* mode);

// A fatal stop for an input that exists but cannot be read.
[[noreturn]] void unreadable(Console& con, const std::string& path, const std::string& reason);

// Writes a new file in one piece (a created descriptor); a fatal stop naming it when it cannot.
void write_new_or_stop(Console& con, const std::string& path, const std::string& content, Temporaries* temporaries);

// "<path>: <cause>" texts for the current errno.
std::string errno_text();

#endif
