#include "imports.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>

#include "altitudes.h"
#include "burn.h"
#include "dem_units.h"
#include "file_formats.h"
#include "gdal_raster.h"
#include "gis_io.h"
#include "input_guard.h"
#include "outputs.h"
#include "raw_files.h"
#include "resources.h"

namespace {

// The three files of an imported raster: the raw cells, the descriptor and the ENVI header.
// The raster NAME imported (NAME_m4.raw for a DEM, NAME.raw for bytes), its descriptor and
// its ENVI header.
struct ImportFiles {
    ImportFiles(const std::string& name, bool dem)
        : raw(name + (dem ? kDemRaster : kByteRaster)),
          descriptor(name + (dem ? kDemDescriptor : kByteDescriptor)),
          header(with_extension(raw, kEnviHeader)) {}
    std::vector<std::string> all() const { return {raw, descriptor, header}; }
    std::string raw, descriptor, header;
};

// No output replaces an input; without --overwrite, none replaces anything.
void check_outputs(const ImportFiles& out, const InputGuard& guard, bool overwrite) {
    guard.check(out.all());
    for (const std::string& path : out.all()) check_new(path, overwrite);
}

// Writes the raw raster piece by piece, fill(piece, cells) giving the cells of each piece.
template <typename T, typename Fill>
void write_pieces(GisOutputs& outputs, const std::string& raw, int lines, int cols, Fill fill) {
    std::FILE* file = outputs.create(raw);
    std::vector<T> cells(std::min(kPieceCells, static_cast<std::size_t>(lines) * static_cast<std::size_t>(cols)));
    for_each_piece(lines, cols, [&](const Piece& p) {
        fill(p, cells.data());
        write_cells(file, cells.data(), p.cells(), raw);
    });
    outputs.close(file, raw);
}

// Adds the descriptor and the ENVI header to the raw raster written, and moves the three into
// place together.
void finish(GisOutputs& outputs, const ImportFiles& out, const int fields[6], const std::string& header) {
    outputs.write_text(out.descriptor, descriptor_text(fields, 6));
    outputs.write_text(out.header, header);
    outputs.commit();
}

struct Altitudes {
    std::int32_t min = std::numeric_limits<std::int32_t>::max(), max = std::numeric_limits<std::int32_t>::min();
};

// The mask or skeleton import once its grid is known: `lines` x `cols` cells placed by
// `georef` (that of `placed_by`), each piece's cells given by fill(piece, cells). Once the
// outputs are known to fit the disk, and before they are written, sets_a_cell() tells whether
// any cell will be set (true when only the writing can tell).
template <typename SetsACell, typename Fill>
int import_bytes(const ImportFiles& out, const Georef& georef, const std::string& placed_by, int lines, int cols,
                 const std::string& when_empty, SetsACell sets_a_cell, Fill fill) {
    const PixelSize pixel = pixel_size(georef, lines, cols, placed_by);
    const std::string header = envi_header(lines, cols, false, georef, nullptr);
    check_disk_room(out.all(), saturated_product(static_cast<std::uint64_t>(lines), static_cast<std::uint64_t>(cols)));
    if (!sets_a_cell()) fail(when_empty);
    GisOutputs outputs;
    std::uint64_t set = 0;
    write_pieces<std::uint8_t>(outputs, out.raw, lines, cols, [&](const Piece& p, std::uint8_t* cells) {
        fill(p, cells);
        set += static_cast<std::uint64_t>(std::count(cells, cells + p.cells(), 1));
    });
    if (set == 0) fail(when_empty);
    const int fields[6] = {lines, cols, 1, 0, 255, pixel.whole};
    finish(outputs, out, fields, header);
    std::printf("%s: %d lines x %d columns, %llu cells set, pixel size %.10g m\n", out.raw.c_str(), lines, cols,
                static_cast<unsigned long long>(set), pixel.metres);
    if (!pixel.note.empty()) note(pixel.note);
    return 0;
}

int import_layers(GdalDataset& vectors, const GdalRaster* grid, const ImportFiles& out, bool mask) {
    const std::string& src = vectors.path();
    if (grid == nullptr) fail("burning the vector layers of " + src + " needs --like DEM_m4.raw");
    LayerBurner burner(vectors.get(), src, *grid, mask);
    return import_bytes(
        out, grid->georef(), grid->path(), grid->lines(), grid->cols(),
        "the features of " + src + " set no cell of the grid of " + grid->path() + ": they lie outside it",
        [] { return true; }, [&](const Piece& p, std::uint8_t* cells) { burner.burn(p, cells); });
}

int import_cells(const GdalRaster& r, const GdalRaster* grid, const ImportFiles& out) {
    const std::string& src = r.path();
    if (!r.integer_band()) fail(src + ": wrong band type (a mask or a skeleton needs whole numbers)");
    if (grid != nullptr && (grid->lines() != r.lines() || grid->cols() != r.cols())) {
        fail("the sizes differ: " + src + " has " + std::to_string(r.lines()) + " x " + std::to_string(r.cols()) +
             " cells, " + grid->path() + " " + std::to_string(grid->lines()) + " x " + std::to_string(grid->cols()));
    }
    std::vector<double> values(std::min(kPieceCells, r.cells()));
    return import_bytes(
        out, r.georef(), src, r.lines(), r.cols(), src + " sets no cell: every cell is 0 or no data",
        [&r] { return r.any_cell([&r](double v) { return r.is_set(v); }); },
        [&](const Piece& p, std::uint8_t* cells) {
            r.read(p, values.data());
            for (std::size_t k = 0; k < p.cells(); ++k) cells[k] = r.is_set(values[k]) ? 1 : 0;
        });
}

}  // namespace

int import_dem(const std::string& src, const std::string& name, const std::string& unit, const std::string& z_unit,
               double nodata_out, bool overwrite) {
    const int factor = unit_factor(unit);
    const ImportFiles out(name, true);
    const GdalRaster r(src);
    InputGuard guard;
    guard.add(src, r.files());
    check_outputs(out, guard, overwrite);
    if (r.complex_band()) fail(src + ": wrong band type (complex values are not altitudes)");
    std::string units_note;
    const ZUnits z = z_units_of(r, z_unit, units_note);
    const PixelSize pixel = pixel_size(r.georef(), r.lines(), r.cols(), src);
    const auto out_nodata = static_cast<std::int32_t>(nodata_out);
    const std::string header = envi_header(r.lines(), r.cols(), true, r.georef(), &nodata_out);
    check_disk_room(out.all(), saturated_product(r.cells(), 4));
    require_an_altitude(r);
    GisOutputs outputs;
    Altitudes a;
    DemValues convert(r, z, factor);
    std::vector<double> values(std::min(kPieceCells, r.cells()));
    write_pieces<std::int32_t>(outputs, out.raw, r.lines(), r.cols(), [&](const Piece& p, std::int32_t* cells) {
        r.read(p, values.data());
        for (std::size_t k = 0; k < p.cells(); ++k) {
            const bool none = r.is_nodata(values[k]);
            cells[k] = none ? out_nodata : convert(values[k]);
            if (none) continue;
            a.min = std::min(a.min, cells[k]);
            a.max = std::max(a.max, cells[k]);
        }
    });
    const int fields[6] = {r.lines(), r.cols(), 4, a.min, a.max, pixel.whole};
    finish(outputs, out, fields, header);
    std::printf("%s: %d lines x %d columns, altitudes %d to %d %s, pixel size %.10g m\n", out.raw.c_str(), r.lines(),
                r.cols(), a.min, a.max, unit.c_str(), pixel.metres);
    if (!units_note.empty()) note(units_note);
    if (!pixel.note.empty()) note(pixel.note);
    return 0;
}

int import_byte_raster(const std::string& src, const std::string& name, const std::string& like, bool mask,
                       bool overwrite) {
    const ImportFiles out(name, false);
    GdalDataset dataset(src, GDAL_OF_RASTER | GDAL_OF_VECTOR);
    InputGuard guard;
    guard.add(src, dataset.files());
    std::unique_ptr<GdalRaster> grid;
    if (!like.empty()) {
        grid = std::make_unique<GdalRaster>(like);
        guard.add(like, grid->files());
    }
    check_outputs(out, guard, overwrite);
    const bool vector = GDALDatasetGetLayerCount(dataset.get()) > 0 && GDALGetRasterCount(dataset.get()) == 0;
    if (vector) return import_layers(dataset, grid.get(), out, mask);
    return import_cells(GdalRaster(std::move(dataset)), grid.get(), out);
}
