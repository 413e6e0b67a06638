#include "gdal_handles.h"

#include <cpl_conv.h>
#include <cpl_error.h>

#include <cerrno>

#include "gis_io.h"

OwnedSrs srs_of(const std::string& wkt) {
    return OwnedSrs(wkt.empty() ? nullptr : OSRNewSpatialReference(wkt.c_str()));
}

std::string layer_wkt(OGRLayerH layer) {
    std::string wkt;
    if (OGRSpatialReferenceH srs = OGR_L_GetSpatialRef(layer)) {
        char* text = nullptr;
        if (OSRExportToWkt(srs, &text) == OGRERR_NONE && text != nullptr) wkt = text;
        CPLFree(text);
    }
    return wkt;
}

bool same_crs(OGRSpatialReferenceH a, OGRSpatialReferenceH b) {
    if (a == nullptr || b == nullptr) return a == b;
    return OSRIsSame(a, b) != 0;
}

bool same_crs(const std::string& wkt_a, const std::string& wkt_b) {
    if (wkt_a == wkt_b) return true;
    const OwnedSrs a = srs_of(wkt_a), b = srs_of(wkt_b);
    return a != nullptr && b != nullptr && same_crs(a.get(), b.get());
}

GdalDataset create_geopackage(const std::string& temporary, const std::string& path) {
    // A GeoPackage records when it was written: a fixed time keeps a run's files the same
    // whenever it is run (a library's level and a single run, a merge and the same merge).
    CPLSetThreadLocalConfigOption("OGR_CURRENT_DATE", "2000-01-01T00:00:00.000Z");
    CPLErrorReset();
    GDALDatasetH ds = GDALCreate(GDALGetDriverByName("GPKG"), temporary.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
    if (ds == nullptr) fail("cannot create " + path + ": " + gdal_message(temporary, path));
    return GdalDataset(path, ds);
}

OGRLayerH create_polygon_layer(GDALDatasetH ds, const std::string& name, OGRSpatialReferenceH srs,
                               const std::vector<std::pair<const char*, OGRFieldType>>& fields,
                               const std::string& path) {
    OGRLayerH layer = GDALDatasetCreateLayer(ds, name.c_str(), srs, wkbPolygon, nullptr);
    if (layer == nullptr) fail("cannot create the layer " + name + " of " + path + ": " + CPLGetLastErrorMsg());
    for (const auto& [field, type] : fields) {
        OGRFieldDefnH d = OGR_Fld_Create(field, type);
        const bool made = OGR_L_CreateField(layer, d, TRUE) == OGRERR_NONE;
        OGR_Fld_Destroy(d);
        if (!made) fail("cannot create the field " + std::string(field) + " of " + path + ": " + CPLGetLastErrorMsg());
    }
    return layer;
}

void fail_gdal_write(const std::string& temporary, const std::string& path) {
    const std::string why = gdal_message(temporary, path);
    fail("cannot write " + path + (why.empty() ? "" : ": " + why));
}

void check_gdal_writes(const std::string& temporary, const std::string& path) {
    const CPLErr last = CPLGetLastErrorType();
    if (last == CE_Failure || last == CE_Fatal) fail_gdal_write(temporary, path);
}

void fail_gdal_write(GdalDataset& ds, const std::string& temporary, const std::string& path) {
    errno = 0;
    ds.close();
    fail_gdal_write(temporary, path);
}

void check_gdal_writes(GdalDataset& ds, const std::string& temporary, const std::string& path) {
    const CPLErr last = CPLGetLastErrorType();
    if (last == CE_Failure || last == CE_Fatal) fail_gdal_write(ds, temporary, path);
}

void place_dataset(GDALDatasetH ds, const Georef& georef, const std::string& path) {
    const bool placed = (!georef.has_transform || GDALSetGeoTransform(ds, const_cast<double*>(georef.transform)) == CE_None) &&
                        (georef.wkt.empty() || GDALSetProjection(ds, georef.wkt.c_str()) == CE_None);
    if (!placed) fail("cannot place " + path + " on its grid: " + CPLGetLastErrorMsg());
}
