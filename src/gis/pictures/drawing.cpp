#include "drawing.h"

#include <cpl_conv.h>
#include <cpl_string.h>

#include <memory>

namespace {

// cairo takes UTF-8 only, and stops drawing at the first string that is not: a name in
// another encoding (a folder's, in the title) is drawn with '?' for each byte beyond ASCII.
std::string shown_text(const std::string& text) {
    if (CPLIsUTF8(text.c_str(), -1)) return text;
    const std::unique_ptr<char, decltype(&CPLFree)> ascii(CPLForceToASCII(text.c_str(), -1, '?'), &CPLFree);
    return ascii != nullptr ? std::string(ascii.get()) : std::string(text.size(), '?');
}

void use_font(cairo_t* cr, double size) {
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
}

}  // namespace

void set_colour(cairo_t* cr, Rgb c, double alpha) {
    cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, alpha);
}

double text_width(cairo_t* cr, const std::string& text, double size) {
    use_font(cr, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, shown_text(text).c_str(), &e);
    return e.x_advance;
}

void draw_text(cairo_t* cr, double x, double baseline, const std::string& text, double size, Rgb colour,
               Align align) {
    const double w = align == Align::left ? 0 : text_width(cr, text, size);
    use_font(cr, size);
    set_colour(cr, colour);
    cairo_move_to(cr, align == Align::centre ? x - w / 2 : align == Align::right ? x - w : x, baseline);
    cairo_show_text(cr, shown_text(text).c_str());
    cairo_new_path(cr);
}

Cairo measuring_context() {
    const CairoSurface scratch =
        checked_surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1), "measure the text of a picture");
    return context_on(scratch.get());
}

void fill_rect(cairo_t* cr, double x, double y, double w, double h, Rgb c) {
    set_colour(cr, c);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

void frame_rect(cairo_t* cr, double x, double y, double w, double h, Rgb c) {
    set_colour(cr, c);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, x + 0.5, y + 0.5, w - 1, h - 1);
    cairo_stroke(cr);
}

void fill_disk(cairo_t* cr, double x, double y, double radius, Rgb c) {
    set_colour(cr, c);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x, y, radius, 0, 2 * 3.14159265358979323846);
    cairo_fill(cr);
}

void draw_line(cairo_t* cr, double x0, double y0, double x1, double y1, double width, Rgb c) {
    set_colour(cr, c);
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}
