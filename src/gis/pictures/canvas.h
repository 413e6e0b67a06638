// An RGB picture in memory and what maps draw on it: rectangles, lines, disks, triangles and
// text in the built-in bitmap font. Whatever falls outside the picture (or outside the clip
// rectangle set) is left out.
#ifndef TARVEX_GIS_CANVAS_H
#define TARVEX_GIS_CANVAS_H

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
};
inline bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

class Canvas {
public:
    // White; throws std::bad_alloc when the memory cannot be had.
    Canvas(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    const std::uint8_t* row(int y) const { return &rgb_[static_cast<std::size_t>(y) * width_ * 3]; }
    Rgb at(int x, int y) const;

    // Limits drawing to `r` (within the picture) until reset by clip_all().
    void clip(Rect r) { clip_ = r; }
    void clip_all() { clip_ = Rect{0, 0, width_, height_}; }

    void set(int x, int y, Rgb c);
    void fill(Rect r, Rgb c);
    void frame(Rect r, Rgb c);  // a one-pixel outline
    // A line `width` pixels thick between two points, with round ends.
    void line(double x0, double y0, double x1, double y1, double width, Rgb c);
    void disk(double x, double y, double radius, Rgb c);
    // A filled triangle.
    void triangle(const double xs[3], const double ys[3], Rgb c);
    // Text whose top left corner is (x, y), each font pixel drawn `scale` x `scale`.
    void text(int x, int y, const std::string& s, int scale, Rgb c);

private:
    int width_, height_;
    Rect clip_;
    std::vector<std::uint8_t> rgb_;
};

// The width and height in pixels of `s` drawn at `scale` (its top to its baseline).
int text_width(const std::string& s, int scale);
int text_height(int scale);

#endif
