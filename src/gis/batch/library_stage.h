// The stage of a flood library: for each cell, the smallest water layer thickness of the
// library at which the cell is water, gathered from the levels' extents piece by piece, the
// levels in any order.
#ifndef TARVEX_GIS_LIBRARY_STAGE_H
#define TARVEX_GIS_LIBRARY_STAGE_H

#include <cstddef>
#include <cstdint>
#include <vector>

class Stage {
public:
    // `layers`: the library's thicknesses in metres, in rising order.
    Stage(std::size_t cells, std::vector<float> layers);

    // Cells first .. first + count - 1 are water from level `level` (from 0) on where they are
    // at 1 in `water` (one byte a cell), unless a lower level already had them.
    void add(const unsigned char* water, std::size_t first, std::size_t count, std::size_t level);

    // The thickness at which cell k first is water; NaN where it never is.
    float at(std::size_t k) const;
    // The library's thicknesses, rising.
    const std::vector<float>& layers() const { return layers_; }

private:
    // Each cell holds the number of its level (from 1; 0: never water), in one byte while the
    // library has fewer than 256 levels, else in two, where a thickness would take four.
    template <typename T>
    static void lower(T* cells, const unsigned char* water, std::size_t count, std::size_t number);

    std::vector<float> layers_;
    bool wide_;
    std::vector<std::uint8_t> bytes_;
    std::vector<std::uint16_t> words_;
};

#endif
