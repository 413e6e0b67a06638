// Opening and closing files whose failure ends the run with a message naming the file.
#ifndef TARVEX_CHECKED_FILES_H
#define TARVEX_CHECKED_FILES_H

#include <cstdio>
#include <string>

#include "console.h"

// Opens path in mode; a file that cannot be created is a fatal stop naming it.
std::FILE* create_or_stop(Console& con, const std::string& path, const char* mode);

// Closes a written file; a write that failed on the way is a fatal stop naming it.
void close_or_stop(Console& con, std::FILE*& file, const std::string& path);

#endif
