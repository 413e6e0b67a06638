#include "png_file.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "gis_io.h"

namespace {

// libpng reports its errors by a long jump back to the function that called it, hence one
// small function a call, with nothing to unwind in between.
[[noreturn]] void png_failed(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void png_warned(png_structp, png_const_charp) {}

bool png_start(png_structp png, png_infop info, std::FILE* file, int width, int height) {
    if (setjmp(png_jmpbuf(png)) != 0) return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    return true;
}

bool png_rows(png_structp png, const Canvas& picture) {
    if (setjmp(png_jmpbuf(png)) != 0) return false;
    for (int y = 0; y < picture.height(); ++y) png_write_row(png, picture.row(y));
    png_write_end(png, nullptr);
    return true;
}

// A file opened for writing, closed when it goes.
struct OpenFile {
    std::FILE* file = nullptr;
    ~OpenFile() {
        if (file != nullptr) std::fclose(file);
    }
};

// The writer of one PNG, released when it goes.
struct PngWrite {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, png_failed, png_warned);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    ~PngWrite() { png_destroy_write_struct(&png, &info); }
};

[[noreturn]] void cannot_write(const std::string& name) {
    fail("cannot write " + name + ": " + std::strerror(errno != 0 ? errno : EIO));
}

}  // namespace

void write_png(const Canvas& picture, const std::string& path, const std::string& name) {
    OpenFile out;
    errno = 0;
    out.file = std::fopen(path.c_str(), "wb");
    if (out.file == nullptr) cannot_write(name);
    {
        PngWrite w;
        errno = 0;
        if (w.info == nullptr || !png_start(w.png, w.info, out.file, picture.width(), picture.height()) ||
            !png_rows(w.png, picture)) {
            cannot_write(name);
        }
    }
    errno = 0;
    const bool flushed = std::fflush(out.file) == 0 && std::ferror(out.file) == 0;
    const int error = errno;
    const bool closed = std::fclose(out.file) == 0;
    out.file = nullptr;
    if (!flushed) errno = error;
    if (!flushed || !closed) cannot_write(name);
}
