#include "merge_floods.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <utility>

#include "gis_io.h"

namespace {

// A GDAL dataset closed with the object, also when a failure ends the command.
struct Dataset {
    GDALDatasetH h = nullptr;
    explicit Dataset(GDALDatasetH opened) : h(opened) {}
    ~Dataset() { close(); }
    Dataset(const Dataset&) = delete;
    Dataset& operator=(const Dataset&) = delete;
    void close() {
        if (h != nullptr) GDALClose(h);
        h = nullptr;
    }
};

// The levels of all the reaches, in the order of their thickness.
std::vector<std::string> levels_in_order(const std::vector<MergedReach>& reaches) {
    std::set<std::pair<double, std::string>> levels;
    for (const MergedReach& r : reaches) {
        for (const IndexLevel& l : r.levels) levels.emplace(std::strtod(l.folder.c_str() + 6, nullptr), l.folder);
    }
    std::vector<std::string> order;
    for (const auto& level : levels) order.push_back(level.second);
    return order;
}

bool has_level(const MergedReach& r, const std::string& level) {
    for (const IndexLevel& l : r.levels) {
        if (l.folder == level) return true;
    }
    return false;
}

OGRLayerH new_layer(GDALDatasetH ds, const std::string& name, OGRSpatialReferenceH srs, const std::string& path) {
    OGRLayerH layer = GDALDatasetCreateLayer(ds, name.c_str(), srs, wkbPolygon, nullptr);
    if (layer == nullptr) fail("cannot create the layer " + name + " of " + path + ": " + CPLGetLastErrorMsg());
    const std::pair<const char*, OGRFieldType> fields[] = {{"reach", OFTString}, {"water", OFTInteger}, {"area_m2", OFTReal}};
    for (const auto& [field, type] : fields) {
        OGRFieldDefnH d = OGR_Fld_Create(field, type);
        const bool made = OGR_L_CreateField(layer, d, TRUE) == OGRERR_NONE;
        OGR_Fld_Destroy(d);
        if (!made) fail("cannot create the field " + std::string(field) + " of " + path + ": " + CPLGetLastErrorMsg());
    }
    return layer;
}

bool same_srs(OGRSpatialReferenceH a, OGRSpatialReferenceH b) {
    if (a == nullptr || b == nullptr) return a == b;
    return OSRIsSame(a, b) != 0;
}

// The polygons of `from` (a flood's extent.gpkg at `source`) added to `to` with the reach's name.
void copy_polygons(OGRLayerH from, OGRLayerH to, const std::string& reach, const std::string& source,
                   const std::string& path) {
    OGRFeatureDefnH defn = OGR_L_GetLayerDefn(from);
    const int water = OGR_FD_GetFieldIndex(defn, "water"), area = OGR_FD_GetFieldIndex(defn, "area_m2");
    if (water < 0 || area < 0) fail(source + " is not the extent of a flood: its polygons have no water or area_m2");
    OGR_L_ResetReading(from);
    for (OGRFeatureH f; (f = OGR_L_GetNextFeature(from)) != nullptr; OGR_F_Destroy(f)) {
        OGRFeatureH g = OGR_F_Create(OGR_L_GetLayerDefn(to));
        OGR_F_SetFieldString(g, 0, reach.c_str());
        OGR_F_SetFieldInteger(g, 1, OGR_F_GetFieldAsInteger(f, water));
        OGR_F_SetFieldDouble(g, 2, OGR_F_GetFieldAsDouble(f, area));
        const bool stored = OGR_F_SetGeometry(g, OGR_F_GetGeometryRef(f)) == OGRERR_NONE &&
                            OGR_L_CreateFeature(to, g) == OGRERR_NONE;
        OGR_F_Destroy(g);
        if (!stored) {
            OGR_F_Destroy(f);
            fail("cannot write the polygons of " + reach + " into " + path + ": " + CPLGetLastErrorMsg());
        }
    }
}

// The layer `level`: the polygons of every reach that has it, in the reaches' order.
void write_level(GDALDatasetH ds, const std::string& level, const std::vector<MergedReach>& reaches,
                 const std::string& path) {
    OGRLayerH layer = nullptr;
    std::string first;
    for (const MergedReach& r : reaches) {
        if (!has_level(r, level)) continue;
        const std::string source = r.folder + "/" + level + "/extent.gpkg";
        check_input(source, false);
        Dataset in(GDALOpenEx(source.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
        if (in.h == nullptr || GDALDatasetGetLayerCount(in.h) < 1) fail("cannot read the flood polygons of " + source);
        OGRLayerH from = GDALDatasetGetLayer(in.h, 0);
        if (layer == nullptr) {
            layer = new_layer(ds, level, OGR_L_GetSpatialRef(from), path);
            first = r.name;
            if (GDALDatasetStartTransaction(ds, FALSE) != OGRERR_NONE) fail("cannot write " + path);
        } else if (!same_srs(OGR_L_GetSpatialRef(layer), OGR_L_GetSpatialRef(from))) {
            fail("the reach " + r.name + " lies in another coordinate system than " + first + ": the layer " + level +
                 " of " + path + " holds one");
        }
        copy_polygons(from, layer, r.name, source, path);
    }
    if (layer != nullptr && GDALDatasetCommitTransaction(ds) != OGRERR_NONE) {
        fail("cannot write the layer " + level + " of " + path + ": " + CPLGetLastErrorMsg());
    }
}

}  // namespace

void write_merged_floods(GisOutputs& out, const std::string& path, const std::vector<MergedReach>& reaches) {
    const std::string temporary = out.reserve(path);
    std::remove(temporary.c_str());  // the driver creates its own file
    // A GeoPackage records when it was written; a fixed time makes the same merge the same file.
    CPLSetThreadLocalConfigOption("OGR_CURRENT_DATE", "2000-01-01T00:00:00.000Z");
    CPLErrorReset();
    Dataset ds(GDALCreate(GDALGetDriverByName("GPKG"), temporary.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    if (ds.h == nullptr) fail("cannot create " + path + ": " + CPLGetLastErrorMsg());
    for (const std::string& level : levels_in_order(reaches)) write_level(ds.h, level, reaches, path);
    ds.close();
    if (CPLGetLastErrorType() == CE_Failure || CPLGetLastErrorType() == CE_Fatal) {
        fail("cannot write " + path + ": " + CPLGetLastErrorMsg());
    }
}
