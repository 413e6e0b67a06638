#include "picture_file.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <map>
#include <new>

#include "gis_io.h"

namespace {

// The output file cairo writes through: each write checked, the first error kept.
class CheckedFile {
public:
    CheckedFile(const std::string& path, const std::string& name) : name_(name) {
        errno = 0;
        file_ = std::fopen(path.c_str(), "wb");
        if (file_ == nullptr) cannot_write(errno);
    }
    ~CheckedFile() {
        if (file_ != nullptr) std::fclose(file_);
    }
    CheckedFile(const CheckedFile&) = delete;
    CheckedFile& operator=(const CheckedFile&) = delete;

    // cairo's write function: `closure` is the CheckedFile.
    static cairo_status_t write(void* closure, const unsigned char* data, unsigned int length) {
        auto* self = static_cast<CheckedFile*>(closure);
        if (self->error_ != 0) return CAIRO_STATUS_WRITE_ERROR;
        errno = 0;
        if (std::fwrite(data, 1, length, self->file_) != length) {
            self->error_ = errno != 0 ? errno : EIO;
            return CAIRO_STATUS_WRITE_ERROR;
        }
        return CAIRO_STATUS_SUCCESS;
    }

    // Fails with the first write's error, if any.
    void check() const {
        if (error_ != 0) cannot_write(error_);
    }

    // Flushes and closes; fails when that or any write did not succeed.
    void close() {
        check();
        errno = 0;
        const bool flushed = std::fflush(file_) == 0 && std::ferror(file_) == 0;
        const int error = errno;
        const bool closed = std::fclose(file_) == 0;
        file_ = nullptr;
        if (!flushed) cannot_write(error);
        if (!closed) cannot_write(errno);
    }

private:
    [[noreturn]] void cannot_write(int error) const {
        fail("cannot write " + name_ + ": " + error_text(error != 0 ? error : EIO));
    }

    std::string name_;
    std::FILE* file_ = nullptr;
    int error_ = 0;
};

// cairo's write function into a string: `closure` is the string.
cairo_status_t append(void* closure, const unsigned char* data, unsigned int length) {
    try {
        static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
        return CAIRO_STATUS_SUCCESS;
    } catch (const std::bad_alloc&) {
        return CAIRO_STATUS_NO_MEMORY;
    }
}

// cairo names the groups and images of an SVG after a count kept by the whole process, so the
// same picture would come out different after other drawings. Renumbers them in the order
// they appear in the document ("surface63" becomes "surface1"), references included.
void number_ids_in_order(std::string& svg) {
    for (const std::string prefix : {"surface", "image"}) {
        std::map<std::string, std::string> renamed;
        for (std::size_t at = svg.find(prefix); at != std::string::npos; at = svg.find(prefix, at + 1)) {
            const std::size_t digits = at + prefix.size();
            std::size_t end = digits;
            while (end < svg.size() && std::isdigit(static_cast<unsigned char>(svg[end])) != 0) ++end;
            if (end == digits || at == 0 || (svg[at - 1] != '"' && svg[at - 1] != '#')) continue;
            const auto [it, added] = renamed.emplace(svg.substr(digits, end - digits), "");
            if (added) it->second = std::to_string(renamed.size());
            svg.replace(digits, end - digits, it->second);
        }
    }
}

// Draws on the whole surface with a context of its own, checked once the drawing is done.
void draw_on(cairo_surface_t* surface, const std::function<void(cairo_t*)>& draw, const std::string& name) {
    const Cairo cr = context_on(surface);
    draw(cr.get());
    check_cairo(cairo_status(cr.get()), "draw " + name);
}

}  // namespace

PictureFormat picture_format(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    const bool none = dot == std::string::npos || name.find('/', dot) != std::string::npos;
    std::string extension = none ? "" : name.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".png") return PictureFormat::png;
    if (extension == ".svg") return PictureFormat::svg;
    if (extension == ".pdf") return PictureFormat::pdf;
    fail("cannot tell the picture's format from the name " + name + ": end it in .png, .svg or .pdf");
}

void check_cairo(cairo_status_t status, const std::string& what) {
    if (status == CAIRO_STATUS_NO_MEMORY) throw std::bad_alloc();
    if (status != CAIRO_STATUS_SUCCESS) fail("cannot " + what + ": " + cairo_status_to_string(status));
}

CairoSurface checked_surface(cairo_surface_t* surface, const std::string& what) {
    CairoSurface owned(surface);
    check_cairo(cairo_surface_status(surface), what);
    return owned;
}

Cairo context_on(cairo_surface_t* surface) {
    Cairo cr(cairo_create(surface));
    check_cairo(cairo_status(cr.get()), "draw a picture");
    return cr;
}

namespace {

void write_png(const std::function<void(cairo_t*)>& draw, int width, int height, CheckedFile& file,
               const std::string& name) {
    const CairoSurface surface =
        checked_surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height), "make a picture");
    draw_on(surface.get(), draw, name);
    const cairo_status_t written = cairo_surface_write_to_png_stream(surface.get(), CheckedFile::write, &file);
    file.check();
    check_cairo(written, "write " + name);
}

// The document is made whole in memory, then written, its names numbered in order.
void write_svg(const std::function<void(cairo_t*)>& draw, int width, int height, CheckedFile& file,
               const std::string& name) {
    std::string svg;
    {
        const CairoSurface surface =
            checked_surface(cairo_svg_surface_create_for_stream(append, &svg, width, height), "start an SVG picture");
        // Sized in pixels, as pictures on screen are.
        cairo_svg_surface_set_document_unit(surface.get(), CAIRO_SVG_UNIT_PX);
        draw_on(surface.get(), draw, name);
        cairo_surface_finish(surface.get());
        check_cairo(cairo_surface_status(surface.get()), "write " + name);
    }
    number_ids_in_order(svg);
    const auto* bytes = reinterpret_cast<const unsigned char*>(svg.data());
    CheckedFile::write(&file, bytes, static_cast<unsigned int>(svg.size()));
    file.check();
}

void write_pdf(const std::function<void(cairo_t*)>& draw, int width, int height, CheckedFile& file,
               const std::string& name) {
    const CairoSurface surface = checked_surface(
        cairo_pdf_surface_create_for_stream(CheckedFile::write, &file, width, height), "start a PDF picture");
    draw_on(surface.get(), draw, name);
    cairo_surface_finish(surface.get());
    file.check();
    check_cairo(cairo_surface_status(surface.get()), "write " + name);
}

}  // namespace

void write_picture(PictureFormat format, int width, int height, const std::function<void(cairo_t*)>& draw,
                   const std::string& path, const std::string& name) {
    CheckedFile file(path, name);
    if (format == PictureFormat::png) write_png(draw, width, height, file, name);
    if (format == PictureFormat::svg) write_svg(draw, width, height, file, name);
    if (format == PictureFormat::pdf) write_pdf(draw, width, height, file, name);
    file.close();
}
