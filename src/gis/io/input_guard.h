// No output of a command may replace one of its inputs, whether or not --overwrite is given:
// not the file itself, reached by any name or link, and not a file that belongs with it (the
// sidecars GDAL reads, tarvex's descriptor and ENVI header beside a raw raster).
#ifndef TARVEX_GIS_INPUT_GUARD_H
#define TARVEX_GIS_INPUT_GUARD_H

#include <string>
#include <vector>

class InputGuard {
public:
    // An input and the files that belong with it: `files` (GDAL's list) and, whether or not
    // they exist yet, the names beside it that would change how it is read: NAME.txt and
    // NAME.hdr beside NAME.raw, and the .aux.xml of GDAL.
    void add(const std::string& input, const std::vector<std::string>& files = {});

    // Fails, naming the input, when an output is one of those files: the same file (by device
    // and inode, following links) or the same name.
    void check(const std::vector<std::string>& outputs) const;

private:
    struct Guarded {
        std::string path, input;
    };
    std::vector<Guarded> guarded_;
};

#endif
