#include "checked_files.h"

std::FILE* create_or_stop(Console& con, const std::string& path, const char* mode) {
    std::FILE* file = std::fopen(path.c_str(), mode);
    if (file == nullptr) con.fatal(strf("\n Unable to create the file %s \n", path.c_str()));
    return file;
}

void close_or_stop(Console& con, std::FILE*& file, const std::string& path) {
    if (file == nullptr) return;
    bool failed = std::ferror(file) != 0;
    failed = (std::fclose(file) != 0) || failed;
    file = nullptr;
    if (failed) con.fatal(strf("\n Unable to write the file %s \n", path.c_str()));
}
