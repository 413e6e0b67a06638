#include "map_box.h"

#include <gdal.h>
#include <ogr_srs_api.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "gdal_handles.h"

namespace {

constexpr int kEdgePoints = 21;  // points transformed along each edge of a rectangle

struct TransformDestroyer {
    void operator()(OGRCoordinateTransformationH h) const { OCTDestroyCoordinateTransformation(h); }
};

// The system of `wkt` with x first, as geotransforms and the geometries of layers give points.
OwnedSrs srs_in_gis_order(const std::string& wkt) {
    OwnedSrs srs = srs_of(wkt);
    if (srs != nullptr) OSRSetAxisMappingStrategy(srs.get(), OAMS_TRADITIONAL_GIS_ORDER);
    return srs;
}

}  // namespace

void MapBox::add(double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    min_x = std::min(min_x, x);
    max_x = std::max(max_x, x);
    min_y = std::min(min_y, y);
    max_y = std::max(max_y, y);
}

void MapBox::add(const MapBox& other) {
    if (other.empty()) return;
    add(other.min_x, other.min_y);
    add(other.max_x, other.max_y);
}

MapBox box_of_cells(const Georef& g, const Piece& p) {
    const double* t = g.transform;
    MapBox box;
    for (const int i : {p.line, p.line + p.lines}) {
        for (const int j : {p.col, p.col + p.cols}) box.add(t[0] + j * t[1] + i * t[2], t[3] + j * t[4] + i * t[5]);
    }
    return box;
}

MapBox box_in(const MapBox& box, const std::string& from_wkt, const std::string& to_wkt) {
    if (box.empty() || from_wkt.empty() || to_wkt.empty() || same_crs(from_wkt, to_wkt)) return box;
    const OwnedSrs from = srs_in_gis_order(from_wkt), to = srs_in_gis_order(to_wkt);
    if (from == nullptr || to == nullptr) return box;
    const std::unique_ptr<std::remove_pointer_t<OGRCoordinateTransformationH>, TransformDestroyer> transform(
        OCTNewCoordinateTransformation(from.get(), to.get()));
    if (!transform) return MapBox();
    std::vector<double> x, y;
    for (int k = 0; k < kEdgePoints; ++k) {
        const double f = static_cast<double>(k) / (kEdgePoints - 1);
        const double along_x = box.min_x + f * (box.max_x - box.min_x), along_y = box.min_y + f * (box.max_y - box.min_y);
        x.insert(x.end(), {along_x, along_x, box.min_x, box.max_x});
        y.insert(y.end(), {box.min_y, box.max_y, along_y, along_y});
    }
    std::vector<int> ok(x.size(), 0);
    OCTTransformEx(transform.get(), static_cast<int>(x.size()), x.data(), y.data(), nullptr, ok.data());
    MapBox out;
    for (std::size_t k = 0; k < x.size(); ++k) {
        if (ok[k] != 0) out.add(x[k], y[k]);
    }
    return out;
}

Piece cells_under(const MapBox& box, const Georef& g, int lines, int cols, int pad) {
    double inverse[6];
    if (box.empty() || !GDALInvGeoTransform(const_cast<double*>(g.transform), inverse)) return Piece{};
    double u0 = INFINITY, u1 = -INFINITY, v0 = INFINITY, v1 = -INFINITY;
    for (const double x : {box.min_x, box.max_x}) {
        for (const double y : {box.min_y, box.max_y}) {
            const double u = inverse[0] + x * inverse[1] + y * inverse[2], v = inverse[3] + x * inverse[4] + y * inverse[5];
            u0 = std::min(u0, u);
            u1 = std::max(u1, u);
            v0 = std::min(v0, v);
            v1 = std::max(v1, v);
        }
    }
    // Whole cells, clamped before they become integers, so that a box far off the grid cannot
    // overflow. A box ending on a cell's edge does not take the cell beyond; a point takes its cell.
    auto at = [](double edge, int limit) { return static_cast<int>(std::clamp(edge, 0.0, static_cast<double>(limit))); };
    const int left = at(std::floor(u0) - pad, cols), right = at(std::max(std::ceil(u1), std::floor(u0) + 1) + pad, cols);
    const int top = at(std::floor(v0) - pad, lines), bottom = at(std::max(std::ceil(v1), std::floor(v0) + 1) + pad, lines);
    if (left >= right || top >= bottom) return Piece{};
    return Piece{top, left, bottom - top, right - left};
}
