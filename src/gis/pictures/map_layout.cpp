#include "map_layout.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kPad = 16, kTitleHeight = 48, kPanelHeight = 100, kLeastWidth = 720;

}  // namespace

void CellBox::add(int i, int j) {
    if (empty()) {
        *this = CellBox{i, j, 1, 1};
        return;
    }
    const int bottom = std::max(top + lines, i + 1), right = std::max(left + cols, j + 1);
    top = std::min(top, i);
    left = std::min(left, j);
    lines = bottom - top;
    cols = right - left;
}

CellBox map_window(int lines, int cols, const CellBox& flood, bool full_extent) {
    if (full_extent || flood.empty()) return CellBox{0, 0, lines, cols};
    const int margin = std::max(3, std::max(flood.lines, flood.cols) / 10);
    const int top = std::max(0, flood.top - margin), left = std::max(0, flood.left - margin);
    const int bottom = std::min(lines, flood.top + flood.lines + margin);
    const int right = std::min(cols, flood.left + flood.cols + margin);
    return CellBox{top, left, bottom - top, right - left};
}

double map_scale(const CellBox& window) {
    const int longest = std::max(window.lines, window.cols);
    if (longest > kMapLargest) return static_cast<double>(kMapLargest) / longest;
    if (longest < kMapSmallest) return std::ceil(static_cast<double>(kMapSmallest) / longest);
    return 1;
}

MapLayout map_layout(int lines, int cols, const CellBox& flood, bool full_extent, int note_lines) {
    MapLayout l;
    l.note_lines = std::max(0, note_lines);
    const int title_height = kTitleHeight + l.note_lines * kNoteLine + (l.note_lines > 0 ? kPad / 2 : 0);
    l.window = map_window(lines, cols, flood, full_extent);
    l.scale = map_scale(l.window);
    const int w = std::max(1, static_cast<int>(std::lround(l.window.cols * l.scale)));
    const int h = std::max(1, static_cast<int>(std::lround(l.window.lines * l.scale)));
    l.width = std::max(w + 2 * kPad, kLeastWidth);
    l.title = Rect{0, 0, l.width, title_height};
    l.map = Rect{(l.width - w) / 2, title_height, w, h};
    l.panel = Rect{kPad, title_height + h + kPad, l.width - 2 * kPad, kPanelHeight};
    l.height = l.panel.y + l.panel.h;
    return l;
}
