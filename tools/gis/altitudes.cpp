#include "altitudes.h"

#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "dem_units.h"
#include "gis_io.h"
#include "pieces.h"

std::int32_t to_dem_value(double metres, bool single, int factor, const std::string& src) {
    const std::int64_t v = dem_units_wide(single ? decimal_of(static_cast<float>(metres)) : metres, factor);
    if (v <= std::numeric_limits<std::int32_t>::min() || v >= std::numeric_limits<std::int32_t>::max()) {
        fail("the altitude " + std::to_string(metres) + " of " + src + " does not fit 32 bits in this unit");
    }
    return static_cast<std::int32_t>(v);
}


namespace {

// The conversions already made, by the bits of the single-precision value: altitudes repeat (a
// DEM in decimetres holds a few thousand distinct values), and a look-up costs far less than
// the decimal form a conversion goes through.
class ConversionCache {
public:
    explicit ConversionCache(int factor) : factor_(factor), keys_(kSlots, 0), values_(kSlots, 0) {}
    std::int32_t convert(double metres, const std::string& src) {
        const float single = static_cast<float>(metres);
        std::uint32_t bits = 0;
        std::memcpy(&bits, &single, sizeof bits);
        const std::size_t slot = (bits * 2654435761u) >> (32 - kSlotBits);
        if (keys_[slot] == static_cast<std::uint64_t>(bits) + 1) return values_[slot];
        values_[slot] = to_dem_value(metres, true, factor_, src);
        keys_[slot] = static_cast<std::uint64_t>(bits) + 1;
        return values_[slot];
    }

private:
    static constexpr int kSlotBits = 16;
    static constexpr std::size_t kSlots = std::size_t(1) << kSlotBits;
    int factor_;
    std::vector<std::uint64_t> keys_;  // the value's bits + 1; 0 for an empty slot
    std::vector<std::int32_t> values_;
};

}  // namespace

IntGrid load_dem(const GdalRaster& r, int factor, std::int32_t nodata_out) {
    IntGrid dem;
    try {
        dem = IntGrid(r.lines(), r.cols());
    } catch (const std::bad_alloc&) {
        fail("not enough memory for the " + std::to_string(r.lines()) + " x " + std::to_string(r.cols()) +
             " cells of " + r.path());
    }
    std::vector<double> metres(std::min(kPieceCells, r.cells()));
    std::uint64_t valid = 0;
    const bool single = r.single_precision_band();
    ConversionCache cache(factor);
    for_each_piece(r.lines(), r.cols(), [&](const Piece& p) {
        r.read(p, metres.data());
        int* cells = dem[p.line] + p.col;  // a piece's cells follow one another in the grid
        for (std::size_t k = 0; k < p.cells(); ++k) {
            const bool none = r.is_nodata(metres[k]);
            if (none) {
                cells[k] = nodata_out;
            } else {
                cells[k] = single ? cache.convert(metres[k], r.path()) : to_dem_value(metres[k], false, factor, r.path());
            }
            valid += none ? 0 : 1;
        }
    });
    if (valid == 0) fail(r.path() + " holds no valid altitude: every cell is no data");
    return dem;
}
