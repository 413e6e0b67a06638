// What the tests of tarvex-gis share: rasters and vector files made with GDAL's API, GDAL's
// view of a file written, a runner for the built tarvex-gis with a time limit, and a tarvex
// run on imported GeoTIFFs.
#ifndef TARVEX_GIS_SUPPORT_H
#define TARVEX_GIS_SUPPORT_H

#include <cpl_json.h>
#include <gdal.h>
#include <gtest/gtest.h>
#include <ogr_api.h>
#include <sys/types.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "test_support.h"

// A 4 x 5 grid of 10 m pixels in UTM zone 31 north.
using Transform = std::array<double, 6>;
inline constexpr Transform kTransform = {500000, 10, 0, 4800000, 0, -10};
inline constexpr int kLines = 4, kCols = 5;

// The flooding case of the end-to-end tests, in metres, with a no-data cell of high ground.
extern const std::vector<double> kDemMetres;
extern const std::vector<double> kRiver;

std::string utm_wkt();
void make_geotiff(const std::string& path, GDALDataType type, const std::vector<double>& cells, const double* nodata,
                  int lines = kLines, int cols = kCols, const Transform& transform = kTransform);
// Gives band 1 of the raster at `path` a scale, an offset and a vertical unit ("ft", ...), as
// producers of DEMs in decimetres or feet do.
void set_band_units(const std::string& path, double scale, double offset, const std::string& unit);
// A vector file of one layer "shapes" (in the grid's coordinate system) holding the WKT shapes.
void make_vector(const std::string& path, OGRwkbGeometryType type, const std::vector<std::string>& shapes);
// A virtual raster of one band and no cells in any file: a header declaring its size, its
// coordinate system (as GDAL takes it, "EPSG:32631") and geotransform ("500000, 10, 0, ...").
void make_vrt(const std::string& path, long cols, long lines, const std::string& srs, const std::string& transform,
              const char* type = "Float32", const char* nodata = nullptr);

struct Opened {
    int lines = 0, cols = 0;
    std::vector<double> cells;
    double transform[6] = {};
    std::string wkt, compression;
};
Opened open_with_gdal(const std::string& path);
bool same_srs(const std::string& a, const std::string& b);
void expect_georeferenced(const Opened& o);
// The member `name` of the JSON document `json` (invalid when the text is not JSON or lacks it).
CPLJSONObject json_member(const std::string& json, const std::string& name);

// Every file below a folder, with its content (regular files) or its kind (anything else,
// which is never opened: a FIFO would wait).
class Snapshot {
public:
    explicit Snapshot(const std::string& folder);
    bool unchanged() const { return Snapshot(folder_).files_ == files_; }

private:
    std::string folder_;
    std::map<std::string, std::string> files_;
};

// tarvex-gis with `args`, started in `workdir`. A file size limit above 0 makes writes beyond
// that many bytes fail, as on a disk that is full.
class GisProcess {
public:
    // `prefix` runs it through another program ("setpriv", ...).
    GisProcess(const std::vector<std::string>& args, const std::string& workdir, long file_size_limit = 0,
               const std::vector<std::string>& prefix = {});
    pid_t pid() const { return pid_; }
    // Its end; one that has not ended after `seconds` is killed and fails the test.
    RunResult wait(int seconds = 60);

private:
    TempDir io_;
    pid_t pid_ = -1;
};

RunResult gis(const std::vector<std::string>& args, const TempDir& dir, long file_size_limit = 0);

// A tmpfs of `size` ("64k") mounted on a new folder, unmounted when it goes; `mounted` is false
// where mounting is not allowed.
struct SmallDisk {
    SmallDisk(const std::string& folder, const char* size);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    std::string path;
    bool mounted = false;
    int error = 0;
};

// GeoTIFFs of the flooding case imported into an images folder and run through tarvex with a
// 0.5 m water layer; the results are those derived by hand in the flooding end-to-end tests.
struct FloodedCase : ::testing::Test {
    TempDir dir;
    double pixel = 10;  // of the GeoTIFFs
    std::string folder() const { return dir.path() + "/images/case/"; }
    std::string base() const { return folder() + "out"; }
    void SetUp() override;
};

#endif
