#include "checked_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

std::string errno_text() { return std::strerror(errno); }

InputOpening open_input(const std::string& path, const char* mode) {
    InputOpening in;
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        in.missing = errno == ENOENT;
        in.reason = errno_text();
        return in;
    }
    struct stat s {};
    if (::fstat(fd, &s) != 0 || !S_ISREG(s.st_mode)) {
        in.reason = "not a regular file";
        ::close(fd);
        return in;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    in.file.reset(::fdopen(fd, mode));
    if (in.file == nullptr) {
        in.reason = errno_text();
        ::close(fd);
    }
    return in;
}

void unreadable(Console& con, const std::string& path, const std::string& reason) {
    con.fatal(strf("\n Unable to read the file %s: %s \n", path.c_str(), reason.c_str()));
}

InputFile open_input_or_stop(Console& con, const std::string& path, const char* mode) {
    InputOpening in = open_input(path, mode);
    if (in.missing) con.fatal(strf("\n No File %s \n", path.c_str()));
    if (in.file == nullptr) unreadable(con, path, in.reason);
    return std::move(in.file);
}

void write_new_or_stop(Console& con, const std::string& path, const std::string& content, Temporaries* temporaries) {
    if (!write_new_file(path, content, temporaries)) {
        con.fatal(strf("\n Unable to create the file %s: %s \n", path.c_str(), errno_text().c_str()));
    }
}
