#include "gis_support.h"

#include <cpl_conv.h>
#include <ogr_srs_api.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

const std::vector<double> kDemMetres = {20.0, 10.0,  5.0, 9.9, 20.0,  //
                                        20.0, 9.625, 5.0, 9.4, 20.0,  //
                                        20.0, 20.0, 5.0, 8.4, 8.0,   //
                                        20.0, 7.0,  5.0, 7.4, -9999};
const std::vector<double> kRiver = {0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0};

std::string utm_wkt() {
    OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
    OSRImportFromEPSG(srs, 32631);
    char* wkt = nullptr;
    OSRExportToWkt(srs, &wkt);
    std::string text = wkt;
    CPLFree(wkt);
    OSRDestroySpatialReference(srs);
    return text;
}

void make_geotiff(const std::string& path, GDALDataType type, const std::vector<double>& cells, const double* nodata,
                  int lines, int cols, const Transform& transform) {
    GDALAllRegister();
    GDALDatasetH ds = GDALCreate(GDALGetDriverByName("GTiff"), path.c_str(), cols, lines, 1, type, nullptr);
    Transform t = transform;
    GDALSetGeoTransform(ds, t.data());
    GDALSetProjection(ds, utm_wkt().c_str());
    GDALRasterBandH band = GDALGetRasterBand(ds, 1);
    if (nodata != nullptr) GDALSetRasterNoDataValue(band, *nodata);
    EXPECT_EQ(GDALRasterIO(band, GF_Write, 0, 0, cols, lines, const_cast<double*>(cells.data()), cols, lines,
                           GDT_Float64, 0, 0),
              CE_None);
    GDALClose(ds);
}

void set_band_units(const std::string& path, double scale, double offset, const std::string& unit) {
    GDALAllRegister();
    GDALDatasetH ds = GDALOpen(path.c_str(), GA_Update);
    ASSERT_NE(ds, nullptr) << path;
    GDALRasterBandH band = GDALGetRasterBand(ds, 1);
    EXPECT_EQ(GDALSetRasterScale(band, scale), CE_None);
    EXPECT_EQ(GDALSetRasterOffset(band, offset), CE_None);
    EXPECT_EQ(GDALSetRasterUnitType(band, unit.c_str()), CE_None);
    GDALClose(ds);
}

void make_vector(const std::string& path, OGRwkbGeometryType type, const std::vector<std::string>& shapes) {
    GDALAllRegister();
    GDALDatasetH ds = GDALCreate(GDALGetDriverByName("GeoJSON"), path.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
    OGRSpatialReferenceH srs = OSRNewSpatialReference(utm_wkt().c_str());
    OGRLayerH layer = GDALDatasetCreateLayer(ds, "shapes", srs, type, nullptr);
    for (const std::string& wkt : shapes) {
        OGRFeatureH f = OGR_F_Create(OGR_L_GetLayerDefn(layer));
        OGRGeometryH g = nullptr;
        char* text = const_cast<char*>(wkt.c_str());
        OGR_G_CreateFromWkt(&text, srs, &g);
        OGR_F_SetGeometryDirectly(f, g);
        EXPECT_EQ(OGR_L_CreateFeature(layer, f), OGRERR_NONE);
        OGR_F_Destroy(f);
    }
    OSRDestroySpatialReference(srs);
    GDALClose(ds);
}

void make_vrt(const std::string& path, long cols, long lines, const std::string& srs, const std::string& transform,
              const char* type, const char* nodata) {
    std::string band = std::string("  <VRTRasterBand dataType=\"") + type + "\" band=\"1\"";
    band += nodata != nullptr ? std::string(">\n    <NoDataValue>") + nodata + "</NoDataValue>\n  </VRTRasterBand>\n"
                              : "/>\n";
    write_file(path, "<VRTDataset rasterXSize=\"" + std::to_string(cols) + "\" rasterYSize=\"" + std::to_string(lines) +
                         "\">\n  <SRS>" + srs + "</SRS>\n  <GeoTransform>" + transform + "</GeoTransform>\n" + band +
                         "</VRTDataset>\n");
}

CPLJSONObject json_member(const std::string& json, const std::string& name) {
    CPLJSONDocument doc;
    return doc.LoadMemory(json) ? doc.GetRoot().GetObj(name) : CPLJSONObject();
}

Opened open_with_gdal(const std::string& path) {
    GDALAllRegister();
    Opened o;
    GDALDatasetH ds = GDALOpen(path.c_str(), GA_ReadOnly);
    if (ds == nullptr) {
        ADD_FAILURE() << "GDAL cannot open " << path;
        return o;
    }
    o.cols = GDALGetRasterXSize(ds);
    o.lines = GDALGetRasterYSize(ds);
    GDALGetGeoTransform(ds, o.transform);
    o.wkt = GDALGetProjectionRef(ds);
    const char* c = GDALGetMetadataItem(ds, "COMPRESSION", "IMAGE_STRUCTURE");
    o.compression = c != nullptr ? c : "";
    o.cells.resize(static_cast<std::size_t>(o.lines) * o.cols);
    EXPECT_EQ(GDALRasterIO(GDALGetRasterBand(ds, 1), GF_Read, 0, 0, o.cols, o.lines, o.cells.data(), o.cols, o.lines,
                           GDT_Float64, 0, 0),
              CE_None);
    GDALClose(ds);
    return o;
}

bool same_srs(const std::string& a, const std::string& b) {
    OGRSpatialReferenceH x = OSRNewSpatialReference(a.c_str()), y = OSRNewSpatialReference(b.c_str());
    const bool same = x != nullptr && y != nullptr && OSRIsSame(x, y);
    OSRDestroySpatialReference(x);
    OSRDestroySpatialReference(y);
    return same;
}

void expect_georeferenced(const Opened& o) {
    EXPECT_EQ(o.lines, kLines);
    EXPECT_EQ(o.cols, kCols);
    for (int k = 0; k < 6; ++k) EXPECT_DOUBLE_EQ(o.transform[k], kTransform[k]) << k;
    EXPECT_TRUE(same_srs(o.wkt, utm_wkt())) << o.wkt;
}

Snapshot::Snapshot(const std::string& folder) : folder_(folder) {
    namespace fs = std::filesystem;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const fs::file_status s = entry.symlink_status();
        const std::string name = entry.path().lexically_relative(folder).string();
        if (fs::is_regular_file(s)) {
            files_[name] = read_file(entry.path().string());
        } else {
            files_[name] = fs::is_symlink(s) ? "link to " + fs::read_symlink(entry.path()).string() : "not a file";
        }
    }
}

GisProcess::GisProcess(const std::vector<std::string>& args, const std::string& workdir, long file_size_limit,
                       const std::vector<std::string>& prefix) {
    std::vector<std::string> argv = prefix;
    argv.push_back(TARVEX_GIS_BIN);
    argv.insert(argv.end(), args.begin(), args.end());
    const std::string out = io_ / "out", err = io_ / "err";
    std::vector<char*> pointers;
    for (const std::string& a : argv) pointers.push_back(const_cast<char*>(a.c_str()));
    pointers.push_back(nullptr);
    pid_ = fork();
    if (pid_ != 0) return;
    if (chdir(workdir.c_str()) != 0) _exit(126);
    if (file_size_limit > 0) {
        const rlimit limit{static_cast<rlim_t>(file_size_limit), static_cast<rlim_t>(file_size_limit)};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
    }
    if (!freopen("/dev/null", "rb", stdin) || !freopen(out.c_str(), "wb", stdout) ||
        !freopen(err.c_str(), "wb", stderr)) {
        _exit(126);
    }
    execv(pointers[0], pointers.data());
    _exit(127);
}

RunResult GisProcess::wait(int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int wstatus = 0;
    pid_t ended = 0;
    while ((ended = waitpid(pid_, &wstatus, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    RunResult result;
    if (ended == 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &wstatus, 0);
        ADD_FAILURE() << "tarvex-gis did not end within " << seconds << " s";
    } else {
        result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    }
    result.out = read_file(io_ / "out");
    result.err = read_file(io_ / "err");
    return result;
}

RunResult gis(const std::vector<std::string>& args, const TempDir& dir, long file_size_limit) {
    return GisProcess(args, dir.path(), file_size_limit).wait();
}

void FloodedCase::SetUp() {
    std::filesystem::create_directories(folder());
    const double nodata = -9999;  // imported as high ground
    const Transform t = {500000, pixel, 0, 4800000, 0, -pixel};
    make_geotiff(dir / "dem.tif", GDT_Float32, kDemMetres, &nodata, kLines, kCols, t);
    make_geotiff(dir / "river.tif", GDT_Byte, kRiver, nullptr, kLines, kCols, t);
    ASSERT_EQ(gis({"import-dem", "dem.tif", folder() + "dem", "--unit", "dm"}, dir).status, 0);
    ASSERT_EQ(gis({"import-mask", "river.tif", folder() + "mask"}, dir).status, 0);
    ASSERT_EQ(gis({"import-skeleton", "river.tif", folder() + "skel"}, dir).status, 0);
    RunResult run = run_tarvex(dir.path(), dir.path() + "/images",
                               "case mask skel dem out  1  0 2 10.0  3 2 7.0  1  0 0.5 0.5  10");
    ASSERT_EQ(run.status, 0) << run.out;
}

SmallDisk::SmallDisk(const std::string& folder, const char* size) : path(folder) {
    std::filesystem::create_directories(folder);
    mounted = mount("tmpfs", folder.c_str(), "tmpfs", 0, (std::string("size=") + size).c_str()) == 0;
    error = errno;
}

SmallDisk::~SmallDisk() {
    if (mounted) umount2(path.c_str(), MNT_DETACH);
}
