#include "opening.h"

#include <cctype>
#include <cstdint>
#include <string>

#include "checked_files.h"
#include "file_formats.h"
#include "platform.h"
#include "resources.h"
#include "run_memory.h"

namespace {

constexpr int kBoxInner = 60;

std::string box_line(const std::string& content) {
    return "\n\t*" + content + std::string(kBoxInner - content.size(), ' ') + "*";
}

// A text set towards the right edge, ending `margin` columns before the closing asterisk.
std::string box_right(const std::string& text, std::size_t margin) {
    return box_line(std::string(kBoxInner - margin - text.size(), ' ') + text +
                    std::string(margin, ' '));
}

void banner(Console& con) {
    const std::string edge(kBoxInner + 2, '*');
    std::string box = "\n\n\t" + edge + box_line("");
    box += box_line(std::string(16, ' ') + "TARVEX");
    for (int k = 0; k < 4; ++k) box += box_line("");
    box += box_right("River and flood analysis", 4);
    box += box_right("(December 2026)", 3);
    box += box_line("") + box_line("");
    box += "\n\t" + edge;
    con.say_text(box);
}

// True when the file, read from its start, holds nothing but white space.
bool holds_only_space(std::FILE* file) {
    std::rewind(file);
    int c = std::fgetc(file);
    while (c != EOF && std::isspace(c)) c = std::fgetc(file);
    return c == EOF;
}

// Reads the lines, columns and pixel size of an existing descriptor (fields 3 to 5 are read
// past). False when there is no such file; any other failure to read it is a fatal stop
// naming why.
bool read_descriptor_file(Console& con, const std::string& path, int& lines, int& cols, int& pixel) {
    InputOpening in = open_input(path, "r");
    if (in.missing) return false;
    if (in.file == nullptr) unreadable(con, path, in.reason);
    int unused = 0;
    int* const fields[6] = {&lines, &cols, &unused, &unused, &unused, &pixel};
    std::FILE* file = in.file.get();
    const int read = read_descriptor(file, fields);
    const bool failed = std::ferror(file) != 0;
    const std::string cause = errno_text();
    if (failed) unreadable(con, path, cause);
    if (read == 0 && holds_only_space(file)) unreadable(con, path, "the file is empty");
    if (read == 0) unreadable(con, path, "the file starts with a byte-order mark or text, not a number");
    return true;
}

void ask_sizes(Console& con, const std::string& path, int& lines, int& cols, int& pixel) {
    const Console::Rule<int> positive{[](int v) { return v > 0; },
                                      "\n Please answer a number greater than 0 \n"};
    con.say("\n No File %s \n\n", path.c_str());
    lines = con.ask_int("\n\tNumber of lines   ? ", positive);
    cols = con.ask_int("\n\tNumber of columns ? ", positive);
    pixel = con.ask_int("\n\tPixel size ? ", positive);
}

struct ByteInput {
    const char* question;
    std::string& nomim;
    std::string& nomdescr;
    InputFile& raster;
    int& lines;
    int& cols;
    int& pixel;
};

// Mask and skeleton: the raster must exist; a missing descriptor is created from the answers.
void open_byte_input(Console& con, const std::string& folder, Temporaries* temporaries, const ByteInput& in) {
    std::string name = con.ask_name(in.question);
    in.nomim = file_path(folder, name, kByteRaster);
    in.nomdescr = file_path(folder, name, kByteDescriptor);
    in.raster = open_input_or_stop(con, in.nomim, "rb");
    if (read_descriptor_file(con, in.nomdescr, in.lines, in.cols, in.pixel)) return;
    ask_sizes(con, in.nomdescr, in.lines, in.cols, in.pixel);
    const int fields[6] = {in.lines, in.cols, 1, 0, 255, in.pixel};
    write_new_or_stop(con, in.nomdescr, descriptor_text(fields, 6), temporaries);
}

// The DEM: the raster must exist; a missing descriptor is created by the parameter dialog,
// once the DEM's extremes are known, from the sizes answered here.
void open_dem(RunFiles& f, Console& con, const std::string& folder) {
    std::string name = con.ask_name(
        "\n\n Name of the Digital Elevation Model (without extension _m4.raw) ? ");
    f.nomim3 = file_path(folder, name, kDemRaster);
    f.nomdescr3 = file_path(folder, name, kDemDescriptor);
    f.f3 = open_input_or_stop(con, f.nomim3, "rb");
    f.flag_f3d = 0;
    int pixel = 0;  // the DEM's own pixel size is neither compared nor written
    if (read_descriptor_file(con, f.nomdescr3, f.nb_lig3, f.nb_col3, pixel)) return;
    ask_sizes(con, f.nomdescr3, f.nb_lig3, f.nb_col3, pixel);
    f.flag_f3d = 1;
}

void check_mask_size(const RunFiles& f, Console& con) {
    if (f.nb_lig > 0 && f.nb_col > 0) return;
    con.fatal(strf("\n The descriptor %s gives no usable size: %d lines and %d columns \n",
                   f.nomdescr1.c_str(), f.nb_lig, f.nb_col));
}

// The input file a result path would replace, or an empty text.
std::string replaced_input(const RunFiles& f, const std::string& result) {
    for (const std::string* input : {&f.nomim1, &f.nomdescr1, &f.nomim2, &f.nomdescr2, &f.nomim3, &f.nomdescr3}) {
        if (same_file(result, *input)) return *input;
    }
    return std::string();
}

// Asks the result name until none of its five files would replace an input of the run.
std::string ask_result_name(RunFiles& f, Console& con, const std::string& folder) {
    for (;;) {
        std::string name =
            con.ask_name("\n\n Name of the resulting File (without any extension) ? ");
        f.result_files = ResultFiles::named(folder + name);
        const ResultFiles& r = f.result_files;
        std::string clash;
        for (const ResultFile* result : {&r.dem_descriptor, &r.dem, &r.table, &r.extent, &r.extent_descriptor}) {
            if (clash.empty()) clash = replaced_input(f, result->path);
        }
        if (clash.empty()) return name;
        con.say("\n The result name %s would replace the input file %s: please choose another "
                "name \n",
                name.c_str(), clash.c_str());
    }
}

// Takes the result name for this run alone: another run writing the same results stops.
void lock_results(RunFiles& f, Console& con, const std::string& folder, const std::string& name) {
    const std::string lock = file_path(folder, "." + name, "_tarvex.lock");
    switch (f.results->lock(lock)) {
    case OutputSet::Lock::taken:
        return;
    case OutputSet::Lock::held_by_another:
        con.fatal(strf("\n Another run is writing the results %s in this folder: wait for it to end or "
                       "choose another name \n",
                       name.c_str()));
    case OutputSet::Lock::failed:
        break;
    }
    con.fatal(strf("\n Unable to create the file %s: %s \n", lock.c_str(), errno_text().c_str()));
}

// The five results' temporaries, created where the results are named, so that a result that
// cannot be created stops the run before any computing.
void create_results(RunFiles& f, Console& con, const std::string& folder, const std::string& name) {
    f.results = std::make_unique<OutputSet>(f.temporaries);
    lock_results(f, con, folder, name);
    const ResultFile* failed = f.result_files.create(*f.results);
    if (failed != nullptr) con.fatal(strf("\n Unable to create the file %s: %s \n", failed->path.c_str(), errno_text().c_str()));
}

// Whether the machine has the memory for the run's grids, before any is allocated.
void check_memory(const RunFiles& f, Console& con) {
    const std::uint64_t needed = run_memory_need(f.nb_lig, f.nb_col), available = available_memory();
    if (needed <= available) return;
    con.fatal(strf("\n Not enough memory for the grids of %d lines and %d columns: the run needs %s and "
                   "%s is available \n",
                   f.nb_lig, f.nb_col, size_text(needed).c_str(), size_text(available).c_str()));
}

}  // namespace

RunFiles opening(Console& con, Temporaries* temporaries) {
    RunFiles f;
    f.temporaries = temporaries;
    banner(con);
    const std::string folder = images_folder(con.ask_name("\n\n Name of the Directory ? "));

    open_byte_input(con, folder, temporaries,
                    {"\n\n Name of the River Mask (without extension .raw) ? ", f.nomim1, f.nomdescr1, f.f1,
                     f.nb_lig, f.nb_col, f.taille_pix});
    check_mask_size(f, con);
    con.say("\n\n  THE FIRST FILE HAS:  \n");
    con.say("\n              %d LINES\n", f.nb_lig);
    con.say("\n          AND %d COLUMNS\n", f.nb_col);

    int nb_lig2 = 0, nb_col2 = 0, taille_pix2 = 0;
    open_byte_input(con, folder, temporaries,
                    {"\n\n Name of the River Skeleton (without extension .raw) ? ", f.nomim2, f.nomdescr2, f.f2,
                     nb_lig2, nb_col2, taille_pix2});
    con.say("\n\n  THE SECOND FILE HAS:  \n");
    con.say("\n               %d LINES\n", nb_lig2);
    con.say("\n           AND %d COLUMNS\n", nb_col2);

    open_dem(f, con, folder);

    if (f.nb_lig == nb_lig2 && f.nb_lig == f.nb_lig3 && f.nb_col == nb_col2 && f.nb_col == f.nb_col3) {
        con.say("\n\n ALL THE FILES HAVE THE SAME SIZE");
    } else {
        con.warn("\n\n NOT ALL THE FILES HAVE THE SAME SIZE");
    }

    const std::string name = ask_result_name(f, con, folder);
    create_results(f, con, folder, name);
    check_memory(f, con);
    return f;
}
