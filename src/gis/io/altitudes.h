// Altitudes of a raster brought to metres (the band's scale, offset and vertical unit), then to
// DEM units, as the dialog converts typed altitudes.
#ifndef TARVEX_GIS_ALTITUDES_H
#define TARVEX_GIS_ALTITUDES_H

#include <cstdint>
#include <string>
#include <vector>

#include "gdal_raster.h"
#include "grid.h"

// An altitude in metres as DEM units, converted as the dialog converts a typed altitude: the
// exact product with the unit's factor, truncated toward zero. The value of a single-precision
// raster is taken as the decimal it stands for (9.9, not 9.8999996185). The extreme 32-bit
// values are left to no data.
std::int32_t to_dem_value(double metres, bool single, int factor, const std::string& src);

// The metres of one vertical unit named as GDAL and producers of DEMs write it ("m", "metre",
// "ft", "foot", "US survey foot", "ftUS", ..., in any case; "" for metres); 0 when unknown.
double metres_per_z_unit(const std::string& unit);

// Fails unless `z_unit` is a value of --z-unit: "m", "ft" or "us-ft".
void check_z_unit_option(const std::string& z_unit);

// How the values of a DEM's band become metres: value x scale + offset, in units of
// `unit_m` metres.
struct ZUnits {
    double scale = 1, offset = 0, unit_m = 1;
    std::string unit;  // as the file or --z-unit gives it
    bool metres_as_stored() const { return scale == 1 && offset == 0 && unit_m == 1; }
};

// The band's units, `z_unit` (--z-unit: "m", "ft" or "us-ft"; "" to take the file's) in place
// of the unit the file gives; fails naming a unit it does not know, or a scale or offset that
// is not a number. When the values are not metres as stored, `note` says how they are taken.
ZUnits z_units_of(const GdalRaster& r, const std::string& z_unit, std::string& note);

// The values of a DEM's band as DEM units (`factor` a metre): value x scale + offset, in
// metres, counted as the decimal it stands for, then converted as a typed altitude is.
class DemValues {
public:
    DemValues(const GdalRaster& r, const ZUnits& z, int factor);
    // `value` is not no data.
    std::int32_t operator()(double value);

private:
    double metres(double value) const;

    const GdalRaster& raster_;
    ZUnits z_;
    int factor_;
    bool cached_;  // conversions that go through a decimal form are kept, by the value's bits
    std::vector<std::uint64_t> keys_;
    std::vector<std::int32_t> values_;
    std::vector<bool> filled_;
};

// Fails unless some cell of `r` holds an altitude: before anything is allocated or written
// for its cells.
void require_an_altitude(const GdalRaster& r);

// The DEM `r` in DEM units (`factor` a metre), its cells without data at `nodata_out`. Read in
// pieces into the grid, which it fills whole.
IntGrid load_dem(const GdalRaster& r, const ZUnits& z, int factor, std::int32_t nodata_out);

#endif
