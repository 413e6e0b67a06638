// Rasters and vector layers brought onto the grid of a DEM, as cells set (1) or not (0).
#ifndef TARVEX_GIS_ON_GRID_H
#define TARVEX_GIS_ON_GRID_H

#include "centreline.h"
#include "gdal_raster.h"

// The cells of `raster` that are neither 0 nor no data, on the DEM's grid. A raster on that
// grid is copied; any other is brought onto it by nearest neighbour (each DEM cell takes the
// source cell under its centre), and for `lines` each source cell set also sets the DEM cell
// under its own centre, so that a line finer than the DEM's cells keeps every cell it crosses.
// A raster without georeferencing must have the DEM's size: it is taken as on its grid.
// Restricts `raster` to the cells under the DEM's grid (a window of a larger DEM reads only
// its part of a raster on the DEM's grid, and of any other raster the cells under it); false
// when none of its cells lies under the grid.
bool restrict_to_grid(GdalRaster& raster, const DemGrid& dem);

ByteGrid raster_on_grid(const GdalRaster& raster, const DemGrid& dem, bool lines);

// The features of `vectors` burnt on the DEM's grid: lines when `lines`, else polygons, each
// layer brought from its own coordinate system.
ByteGrid layers_on_grid(GdalDataset& vectors, const DemGrid& dem, bool lines);

#endif
