#include "burn.h"

#include <cpl_error.h>
#include <gdal_alg.h>

#include <cstring>

#include "gdal_handles.h"
#include "gis_io.h"

namespace {

bool is_polygon(OGRwkbGeometryType t) { return t == wkbPolygon || t == wkbMultiPolygon; }
bool is_line(OGRwkbGeometryType t) { return t == wkbLineString || t == wkbMultiLineString; }

}  // namespace

LayerBurner::LayerBurner(GDALDatasetH vectors, const std::string& src, const GdalRaster& grid, bool polygons)
    : src_(src), georef_(grid.georef()) {
    for (int k = 0; k < GDALDatasetGetLayerCount(vectors); ++k) {
        OGRLayerH layer = GDALDatasetGetLayer(vectors, k);
        if (OGR_L_GetFeatureCount(layer, TRUE) == 0) {
            fail(src + ": layer " + OGR_L_GetName(layer) + " has no features");
        }
        const OGRwkbGeometryType type = wkbFlatten(OGR_L_GetGeomType(layer));
        if (polygons ? !is_polygon(type) : !is_line(type)) {
            fail(src + ": wrong geometry type " + OGRGeometryTypeToName(type) +
                 " (a mask needs polygons, a skeleton lines)");
        }
        layers_.push_back(layer);
    }
}

void LayerBurner::only_within(const MapBox& box, const std::string& wkt) {
    for (OGRLayerH layer : layers_) {
        const MapBox near = box_in(box, wkt, layer_wkt(layer));
        if (near.empty()) continue;  // not transformable: every feature is read, as the burner transforms them one by one
        OGR_L_SetSpatialFilterRect(layer, near.min_x, near.min_y, near.max_x, near.max_y);
    }
}

void LayerBurner::burn(const Piece& p, std::uint8_t* cells) {
    std::memset(cells, 0, p.cells());
    double t[6];
    piece_transform(georef_.transform, p, t);
    CPLErrorReset();
    const CPLErr burnt = GDALRasterizeLayersBuf(
        cells, p.cols, p.lines, GDT_Byte, 0, 0, static_cast<int>(layers_.size()), layers_.data(),
        georef_.wkt.empty() ? nullptr : georef_.wkt.c_str(), t, nullptr, nullptr, 1.0, nullptr, nullptr, nullptr);
    if (burnt != CE_None) fail("cannot burn the layers of " + src_ + ": " + gdal_message());
}
