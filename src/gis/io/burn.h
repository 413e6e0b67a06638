// Vector layers burnt on the grid of a DEM, piece by piece: a mask's polygons or a skeleton's
// lines become the cells set to 1. Each piece is burnt on its own, so a grid of any size needs
// only a piece of memory.
#ifndef TARVEX_GIS_BURN_H
#define TARVEX_GIS_BURN_H

#include <gdal.h>
#include <ogr_api.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gdal_raster.h"
#include "map_box.h"

class LayerBurner {
public:
    // Checks every layer of `vectors` (the file `src`) first: it must have features, and
    // polygons for a mask, lines for a skeleton.
    LayerBurner(GDALDatasetH vectors, const std::string& src, const GdalRaster& grid, bool polygons);

    // From now on only the features that reach into `box` (map coordinates in `wkt`, the
    // grid's system) are read: the layers' spatial filters, so that the part of a large layer
    // near a small grid is read alone.
    void only_within(const MapBox& box, const std::string& wkt);

    // The cells of `piece` of the grid: 1 where a feature lies, else 0.
    void burn(const Piece& piece, std::uint8_t* cells);

private:
    std::vector<OGRLayerH> layers_;
    std::string src_;
    Georef georef_;
};

#endif
