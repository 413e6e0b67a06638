// GDAL and OGR objects owned by what holds them (destroyed when it goes, also when a failure
// ends the command), and the checked calls the outputs are made with.
#ifndef TARVEX_GIS_GDAL_HANDLES_H
#define TARVEX_GIS_GDAL_HANDLES_H

#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gdal_raster.h"

struct SrsDestroyer {
    void operator()(OGRSpatialReferenceH h) const { OSRDestroySpatialReference(h); }
};
struct FeatureDestroyer {
    void operator()(OGRFeatureH h) const { OGR_F_Destroy(h); }
};
using OwnedSrs = std::unique_ptr<std::remove_pointer_t<OGRSpatialReferenceH>, SrsDestroyer>;
using OwnedFeature = std::unique_ptr<std::remove_pointer_t<OGRFeatureH>, FeatureDestroyer>;

// The coordinate system of `wkt`; null for an empty text or one GDAL cannot read.
OwnedSrs srs_of(const std::string& wkt);

// The coordinate system of a layer as WKT; "" when it has none.
std::string layer_wkt(OGRLayerH layer);

// Whether two coordinate systems are the same (two absent ones are; one absent is not).
bool same_crs(OGRSpatialReferenceH a, OGRSpatialReferenceH b);
bool same_crs(const std::string& wkt_a, const std::string& wkt_b);

// A new GeoPackage at `temporary` (to become `path`), stamped with a fixed time so that the same
// polygons always make the same file; fails naming `path`.
GdalDataset create_geopackage(const std::string& temporary, const std::string& path);

// A new layer of polygons `name` in `ds`, in `srs` (may be null), with `fields` in this order;
// fails naming `path` when a part cannot be made.
OGRLayerH create_polygon_layer(GDALDatasetH ds, const std::string& name, OGRSpatialReferenceH srs,
                               const std::vector<std::pair<const char*, OGRFieldType>>& fields,
                               const std::string& path);

// Fails "cannot write PATH: why", with GDAL's last message (which names `temporary`, the file
// being written, as `path`).
[[noreturn]] void fail_gdal_write(const std::string& temporary, const std::string& path);
// The same when GDAL has reported a failure since the last reset.
void check_gdal_writes(const std::string& temporary, const std::string& path);
// The same for the dataset `ds` being written, closed first: a database (a GeoPackage) meets a
// full disk in its own words, and the storage's trouble is known once its last writes are tried.
[[noreturn]] void fail_gdal_write(GdalDataset& ds, const std::string& temporary, const std::string& path);
void check_gdal_writes(GdalDataset& ds, const std::string& temporary, const std::string& path);

// Places the dataset `ds` (to become `path`) by `georef`: its geotransform when it has one, its
// coordinate system when it names one; fails naming `path`.
void place_dataset(GDALDatasetH ds, const Georef& georef, const std::string& path);

#endif
