#include "hillshade.h"

#include <cpl_error.h>
#include <cpl_string.h>
#include <gdal.h>
#include <gdal_utils.h>

#include <cmath>
#include <memory>
#include <string>

#include "gdal_raster.h"
#include "gis_io.h"

namespace {

// No ground in the grid handed to GDAL: a value no terrain has.
constexpr float kNoGround = -1e30f;

struct DemOptionsFree {
    void operator()(GDALDEMProcessingOptions* o) const { GDALDEMProcessingOptionsFree(o); }
};

[[noreturn]] void cannot_shade() {
    const std::string reason = CPLGetLastErrorMsg();
    fail("cannot compute the map's hillshade" + (reason.empty() ? std::string() : ": " + reason));
}

// The ground as a dataset in memory, north up, `cell_m` metres a cell; `ground` is left with
// the dataset's no-data value where it had NaN.
GdalDataset ground_dataset(std::vector<float>& ground, int lines, int cols, double cell_m) {
    GDALDriverH mem = GDALGetDriverByName("MEM");
    if (mem == nullptr) cannot_shade();
    GdalDataset ds("", GDALCreate(mem, "", cols, lines, 1, GDT_Float32, nullptr));
    if (ds.get() == nullptr) cannot_shade();
    double transform[6] = {0, cell_m, 0, 0, 0, -cell_m};
    GDALRasterBandH band = GDALGetRasterBand(ds.get(), 1);
    for (float& g : ground) g = std::isnan(g) ? kNoGround : g;
    if (GDALSetGeoTransform(ds.get(), transform) != CE_None || GDALSetRasterNoDataValue(band, kNoGround) != CE_None ||
        GDALRasterIO(band, GF_Write, 0, 0, cols, lines, ground.data(), cols, lines, GDT_Float32, 0, 0) != CE_None) {
        cannot_shade();
    }
    return ds;
}

}  // namespace

std::vector<float> hillshade(std::vector<float> ground, int lines, int cols, double cell_m) {
    GDALAllRegister();
    CPLErrorReset();
    const GdalDataset source = ground_dataset(ground, lines, cols, cell_m);
    // The slope from the four nearest neighbours (Zevenberg and Thorne), as far as the edges.
    const char* args[] = {"-of", "MEM", "-alg", "ZevenbergenThorne", "-az", "315", "-alt", "45",
                          "-compute_edges", nullptr};
    const std::unique_ptr<GDALDEMProcessingOptions, DemOptionsFree> options(
        GDALDEMProcessingOptionsNew(const_cast<char**>(args), nullptr));
    if (options == nullptr) cannot_shade();
    int failed = 0;
    const GdalDataset shaded("", GDALDEMProcessing("", source.get(), "hillshade", nullptr, options.get(), &failed));
    if (shaded.get() == nullptr || failed != 0) cannot_shade();
    // GDAL writes 1 (dark) to 255 (lit) and 0 where there is no ground.
    std::vector<unsigned char> bytes(ground.size());
    if (GDALRasterIO(GDALGetRasterBand(shaded.get(), 1), GF_Read, 0, 0, cols, lines, bytes.data(), cols, lines,
                     GDT_Byte, 0, 0) != CE_None) {
        cannot_shade();
    }
    for (std::size_t k = 0; k < ground.size(); ++k) {
        ground[k] = ground[k] == kNoGround || bytes[k] == 0 ? NAN : static_cast<float>(bytes[k] - 1) / 254.0f;
    }
    return ground;
}
