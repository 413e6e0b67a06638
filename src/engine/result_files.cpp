#include "result_files.h"

#include <cerrno>
#include <cstring>

#include "file_formats.h"
#include "text.h"

namespace {

[[noreturn]] void unwritable(const std::string& path) {
    throw Stop(strf("\n Unable to write the file %s: %s \n", path.c_str(), std::strerror(errno)));
}

void close_or_stop(OutputSet& set, ResultFile& f) {
    if (!set.close(f.stream)) unwritable(f.path);
}

// Writes `text` to a result and closes it.
void write_text(OutputSet& set, ResultFile& f, const std::string& text) {
    if (std::fwrite(text.data(), 1, text.size(), f.stream) != text.size()) unwritable(f.path);
    close_or_stop(set, f);
}

// The river profile: position, linear altitude, position, final altitude, tab-separated, from
// position 1 at the upper end.
std::string profile_table(const Results& r) {
    std::string table;
    for (std::size_t k = 0; k < r.linear_profile.size() && k < r.surface_profile.size(); ++k) {
        table += strf("%zu\t%d\t%zu\t%d\n", k + 1, r.linear_profile[k], k + 1, r.surface_profile[k]);
    }
    return table;
}

}  // namespace

ResultFiles ResultFiles::named(const std::string& base) {
    ResultFiles f;
    f.dem.path = base + kResultDemRaster;
    f.dem_descriptor.path = base + kResultDemDescriptor;
    f.table.path = base + kResultTable;
    f.extent.path = base + kResultMaskRaster;
    f.extent_descriptor.path = base + kResultMaskDescriptor;
    return f;
}

const ResultFile* ResultFiles::create(OutputSet& set) {
    for (auto [file, mode] : {std::pair{&dem, "wb"}, {&dem_descriptor, "w"}, {&table, "w"}, {&extent, "wb"},
                              {&extent_descriptor, "w"}}) {
        file->stream = set.create(file->path, mode);
        if (file->stream == nullptr) return file;
    }
    return nullptr;
}

void write_results(ResultFiles& f, OutputSet& set, const Results& r, int pixel) {
    const int lines = r.flooded_dem.nb_lig(), cols = r.flooded_dem.nb_col();
    const int dem_fields[6] = {lines, cols, 4, r.dem_range.min, r.dem_range.max, pixel};
    write_text(set, f.dem_descriptor, descriptor_text(dem_fields, 6));
    write_text(set, f.table, profile_table(r));
    if (!write_int_grid(f.dem.stream, r.flooded_dem.rows(), lines, cols)) unwritable(f.dem.path);
    close_or_stop(set, f.dem);
    if (!write_byte_grid(f.extent.stream, r.extent.rows(), lines, cols)) unwritable(f.extent.path);
    close_or_stop(set, f.extent);
    const int mask_fields[6] = {lines, cols, 1, 0, 255, pixel};
    write_text(set, f.extent_descriptor, descriptor_text(mask_fields, 6) + r.report);
    if (!set.commit()) unwritable(set.failed_path());
}

void write_results(const std::string& base, const Results& results, int pixel, Temporaries* temporaries, bool sync) {
    OutputSet set(temporaries, sync);
    ResultFiles files = ResultFiles::named(base);
    const ResultFile* failed = files.create(set);
    if (failed != nullptr) {
        throw Stop(strf("\n Unable to create the file %s: %s \n", failed->path.c_str(), std::strerror(errno)));
    }
    write_results(files, set, results, pixel);
}
