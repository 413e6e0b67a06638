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

std::string RunResults::input(const std::string& label) const {
    const std::size_t at = report.find("\n\t" + label);
    const std::size_t colon = at == std::string::npos ? at : report.find(": ", at);
    if (colon == std::string::npos) fail("the run report does not name its " + label);
    std::size_t end = report.find('\n', colon);
    if (end == std::string::npos) end = report.size();
    std::string path = report.substr(colon + 2, end - colon - 2);
    if (!path.empty() && path.back() == ' ') path.pop_back();  // the report writes "%s "
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
    for (const char* label : {kRiverMask, kRiverSkeleton, kRunDem}) {
        if (r.report.find("\n\t" + std::string(label)) != std::string::npos) guard.add(r.input(label));
    }
}
