// Where things go on a flood map: the cells it shows, how many picture pixels a cell takes,
// and the title band, the map and the panel of legends below it.
#ifndef TARVEX_GIS_MAP_LAYOUT_H
#define TARVEX_GIS_MAP_LAYOUT_H

// A rectangle of picture pixels.
struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

// A box of cells of a grid; empty when it has no line or no column.
struct CellBox {
    int top = 0, left = 0, lines = 0, cols = 0;
    bool empty() const { return lines <= 0 || cols <= 0; }
    // The box grown to hold the cell (i, j).
    void add(int i, int j);
};

// The flood's box with a margin of a tenth of its longer side (at least 3 cells), within the
// grid; the whole grid when `full_extent` or when nothing is flooded.
CellBox map_window(int lines, int cols, const CellBox& flood, bool full_extent);

// Picture pixels per cell: a window longer than 2000 cells is drawn 2000 pixels long, one
// shorter than 600 cells takes a whole number of pixels a cell to be at least 600 long.
double map_scale(const CellBox& window);

struct MapLayout {
    CellBox window;
    double scale = 1;      // picture pixels per cell
    int width = 0, height = 0;
    Rect title, map, panel;
    int note_lines = 0;    // the lines of notes under the title, in the title band
};

// The height of a line of notes under the title, in picture pixels.
inline constexpr int kNoteLine = 20;

inline constexpr int kMapLargest = 2000, kMapSmallest = 600;

// The layout of a map whose title band holds `note_lines` lines of notes below the title.
MapLayout map_layout(int lines, int cols, const CellBox& flood, bool full_extent, int note_lines = 0);

#endif
