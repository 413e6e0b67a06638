#include "canvas.h"

#include <algorithm>
#include <cmath>

#include "bitmap_font.h"

Canvas::Canvas(int width, int height)
    : width_(width),
      height_(height),
      clip_{0, 0, width, height},
      rgb_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3, 255) {}

Rgb Canvas::at(int x, int y) const {
    const std::uint8_t* p = row(y) + static_cast<std::size_t>(x) * 3;
    return Rgb{p[0], p[1], p[2]};
}

void Canvas::set(int x, int y, Rgb c) {
    if (x < clip_.x || y < clip_.y || x >= clip_.x + clip_.w || y >= clip_.y + clip_.h) return;
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    std::uint8_t* p = &rgb_[(static_cast<std::size_t>(y) * width_ + x) * 3];
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
}

void Canvas::fill(Rect r, Rgb c) {
    for (int y = r.y; y < r.y + r.h; ++y) {
        for (int x = r.x; x < r.x + r.w; ++x) set(x, y, c);
    }
}

void Canvas::frame(Rect r, Rgb c) {
    fill(Rect{r.x, r.y, r.w, 1}, c);
    fill(Rect{r.x, r.y + r.h - 1, r.w, 1}, c);
    fill(Rect{r.x, r.y, 1, r.h}, c);
    fill(Rect{r.x + r.w - 1, r.y, 1, r.h}, c);
}

// Every pixel whose centre lies within width / 2 of the segment.
void Canvas::line(double x0, double y0, double x1, double y1, double width, Rgb c) {
    const double half = width / 2, dx = x1 - x0, dy = y1 - y0, length2 = dx * dx + dy * dy;
    const int left = static_cast<int>(std::floor(std::min(x0, x1) - half)),
              right = static_cast<int>(std::ceil(std::max(x0, x1) + half));
    const int top = static_cast<int>(std::floor(std::min(y0, y1) - half)),
              bottom = static_cast<int>(std::ceil(std::max(y0, y1) + half));
    for (int y = std::max(top, clip_.y); y <= std::min(bottom, clip_.y + clip_.h - 1); ++y) {
        for (int x = std::max(left, clip_.x); x <= std::min(right, clip_.x + clip_.w - 1); ++x) {
            const double px = x + 0.5 - x0, py = y + 0.5 - y0;
            const double t = length2 > 0 ? std::clamp((px * dx + py * dy) / length2, 0.0, 1.0) : 0.0;
            if (std::hypot(px - t * dx, py - t * dy) <= half) set(x, y, c);
        }
    }
}

void Canvas::disk(double x, double y, double radius, Rgb c) { line(x, y, x, y, 2 * radius, c); }

void Canvas::triangle(const double xs[3], const double ys[3], Rgb c) {
    const int top = static_cast<int>(std::floor(std::min({ys[0], ys[1], ys[2]})));
    const int bottom = static_cast<int>(std::ceil(std::max({ys[0], ys[1], ys[2]})));
    const int left = static_cast<int>(std::floor(std::min({xs[0], xs[1], xs[2]})));
    const int right = static_cast<int>(std::ceil(std::max({xs[0], xs[1], xs[2]})));
    auto side = [&](int a, int b, double px, double py) {
        return (xs[b] - xs[a]) * (py - ys[a]) - (ys[b] - ys[a]) * (px - xs[a]);
    };
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double s0 = side(0, 1, px, py), s1 = side(1, 2, px, py), s2 = side(2, 0, px, py);
            if ((s0 >= 0 && s1 >= 0 && s2 >= 0) || (s0 <= 0 && s1 <= 0 && s2 <= 0)) set(x, y, c);
        }
    }
}

void Canvas::text(int x, int y, const std::string& s, int scale, Rgb c) {
    for (std::size_t k = 0; k < s.size(); ++k) {
        const Glyph& g = glyph(s[k]);
        const int left = x + static_cast<int>(k) * kGlyphAdvance * scale;
        for (int row = 0; row < kGlyphHeight; ++row) {
            for (int col = 0; col < kGlyphWidth; ++col) {
                if ((g[row] >> (kGlyphWidth - 1 - col) & 1) == 0) continue;
                fill(Rect{left + col * scale, y + row * scale, scale, scale}, c);
            }
        }
    }
}

int text_width(const std::string& s, int scale) {
    return s.empty() ? 0 : (static_cast<int>(s.size()) * kGlyphAdvance - 1) * scale;
}

int text_height(int scale) { return (kGlyphHeight - 1) * scale; }
