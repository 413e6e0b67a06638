#include "results.h"

#include <filesystem>

#include "file_formats.h"
#include "gdal_raster.h"
#include "gis_io.h"

RunResults load_results(const std::string& base) {
    RunResults r;
    r.base = base;
    const std::vector<int> d = read_descriptor_file(base + kResultMaskDescriptor);
    r.lines = d[0];
    r.cols = d[1];
    r.pixel = d[5];
    r.report = read_text(base + kResultMaskDescriptor);
    return r;
}

std::string RunResults::input(ReportInput which) const {
    std::string path;
    if (!report_input(report, which, path)) {
        const char* const names[3] = {"river mask", "river skeleton", "DEM"};
        fail(base + kResultMaskDescriptor + " does not name its " + names[static_cast<int>(which)]);
    }
    return path;
}

double RunResults::pixel_metres(const std::string& dem) const {
    const std::unique_ptr<GdalRaster> raster = GdalRaster::if_readable(dem);
    if (raster != nullptr && raster->georef().has_transform) {
        return pixel_size(raster->georef(), raster->lines(), raster->cols(), dem).metres;
    }
    if (pixel <= 0) fail(base + kResultMaskDescriptor + " gives a pixel size of " + std::to_string(pixel));
    note(dem +
         " has no georeferencing GDAL reads (no ENVI header beside it): the pixel size is taken from the "
         "run report, " +
         std::to_string(pixel) + " m");
    return pixel;
}

void guard_run(InputGuard& guard, const std::string& base) {
    for (const char* suffix :
         {kResultMaskDescriptor, kResultMaskRaster, kResultDemRaster, kResultDemDescriptor, kResultTable}) {
        guard.add(base + suffix);
    }
    std::error_code ec;
    if (!std::filesystem::exists(base + kResultMaskDescriptor, ec)) return;
    const RunResults r = load_results(base);
    for (ReportInput which : {ReportInput::mask, ReportInput::skeleton, ReportInput::dem}) {
        std::string path;
        if (report_input(r.report, which, path)) guard.add(path);
    }
}
