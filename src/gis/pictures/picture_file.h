// A picture drawn once on a cairo context and written as PNG, SVG or PDF: the surface decides
// the format. Every cairo status and every write is checked.
#ifndef TARVEX_GIS_PICTURE_FILE_H
#define TARVEX_GIS_PICTURE_FILE_H

#include <cairo.h>

#include <functional>
#include <memory>
#include <string>

enum class PictureFormat { png, svg, pdf };

// The format named by the extension of `name` (.png, .svg or .pdf, in any case); fails for any
// other, naming `name`.
PictureFormat picture_format(const std::string& name);

// Owners of cairo objects, released when they go.
struct CairoSurfaceRelease {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct CairoRelease {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
using CairoSurface = std::unique_ptr<cairo_surface_t, CairoSurfaceRelease>;
using Cairo = std::unique_ptr<cairo_t, CairoRelease>;

// Fails with "cannot `what`: <cairo's reason>" unless `status` is a success.
void check_cairo(cairo_status_t status, const std::string& what);
// The surface and a context on it, both checked.
CairoSurface checked_surface(cairo_surface_t* surface, const std::string& what);
Cairo context_on(cairo_surface_t* surface);

// Draws a picture of `width` x `height` points with `draw` and writes it to `path` (created or
// emptied) in `format`, flushed and closed. Fails with the reason, naming the file `name` (the
// output the user asked for, where `path` is its temporary).
void write_picture(PictureFormat format, int width, int height, const std::function<void(cairo_t*)>& draw,
                   const std::string& path, const std::string& name);

#endif
