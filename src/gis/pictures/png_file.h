// A picture written as a PNG file with libpng, every write checked.
#ifndef TARVEX_GIS_PNG_FILE_H
#define TARVEX_GIS_PNG_FILE_H

#include <string>

#include "canvas.h"

// Writes `picture` to `path` (created or emptied), flushed and closed. Fails with the reason,
// naming the file `name` (the output the user asked for, where `path` is its temporary).
void write_png(const Canvas& picture, const std::string& path, const std::string& name);

#endif
