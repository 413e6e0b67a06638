#include "merge_floods.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

#include <cstdio>
#include <set>
#include <utility>
#include <vector>

#include "gdal_handles.h"
#include "gis_io.h"
#include "numbers.h"

namespace {

// The fields of a merged layer's polygons.
const std::vector<std::pair<const char*, OGRFieldType>> kMergedFields = {
    {"reach", OFTString}, {"water", OFTInteger}, {"area_m2", OFTReal}};

// The levels of all the reaches, in the order of their thickness.
std::vector<std::string> levels_in_order(const std::vector<MergedReach>& reaches) {
    std::set<std::pair<double, std::string>> levels;
    for (const MergedReach& r : reaches) {
        for (const IndexLevel& l : r.levels) levels.emplace(read_number(l.folder.substr(6)).value_or(0), l.folder);
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

// The polygons of `from` (a flood's extent.gpkg at `source`) added to `to` with the reach's name.
void copy_polygons(OGRLayerH from, OGRLayerH to, const std::string& reach, const std::string& source,
                   const std::string& path) {
    OGRFeatureDefnH defn = OGR_L_GetLayerDefn(from);
    const int water = OGR_FD_GetFieldIndex(defn, "water"), area = OGR_FD_GetFieldIndex(defn, "area_m2");
    if (water < 0 || area < 0) fail(source + " is not the extent of a flood: its polygons have no water or area_m2");
    OGR_L_ResetReading(from);
    for (OwnedFeature f; (f = OwnedFeature(OGR_L_GetNextFeature(from))) != nullptr;) {
        const OwnedFeature g(OGR_F_Create(OGR_L_GetLayerDefn(to)));
        OGR_F_SetFieldString(g.get(), 0, reach.c_str());
        OGR_F_SetFieldInteger(g.get(), 1, OGR_F_GetFieldAsInteger(f.get(), water));
        OGR_F_SetFieldDouble(g.get(), 2, OGR_F_GetFieldAsDouble(f.get(), area));
        const bool stored = OGR_F_SetGeometry(g.get(), OGR_F_GetGeometryRef(f.get())) == OGRERR_NONE &&
                            OGR_L_CreateFeature(to, g.get()) == OGRERR_NONE;
        if (!stored) fail("cannot write the polygons of " + reach + " into " + path + ": " + CPLGetLastErrorMsg());
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
        const GdalDataset in(source, GDALOpenEx(source.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
        if (in.get() == nullptr || GDALDatasetGetLayerCount(in.get()) < 1) fail("cannot read the flood polygons of " + source);
        OGRLayerH from = GDALDatasetGetLayer(in.get(), 0);
        if (layer == nullptr) {
            layer = create_polygon_layer(ds, level, OGR_L_GetSpatialRef(from), kMergedFields, path);
            first = r.name;
            if (GDALDatasetStartTransaction(ds, FALSE) != OGRERR_NONE) fail("cannot write " + path);
        } else if (!same_crs(OGR_L_GetSpatialRef(layer), OGR_L_GetSpatialRef(from))) {
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
    {
        const GdalDataset ds = create_geopackage(temporary, path);
        for (const std::string& level : levels_in_order(reaches)) write_level(ds.get(), level, reaches, path);
    }
    check_gdal_writes(temporary, path);
}
