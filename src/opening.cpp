// The opening stage: banner, the directory and the three inputs, their descriptors (read, or
// created from the user's answers), the size check, the result name, the five result files
// with the heads of their descriptors, and the seven grids of the run.
#include <cctype>
#include <cstdint>
#include <string>

#include "checked_files.h"
#include "file_formats.h"
#include "nrutil.h"
#include "platform.h"
#include "resources.h"
#include "run_memory.h"
#include "stages.h"

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

// Reads lines, columns, val, min_al, max_al and the pixel size from an existing descriptor.
// False when there is no such file; any other failure to read it is a fatal stop naming why.
bool read_descriptor_file(RunState& st, Console& con, const std::string& path, int& lines, int& cols, int& pixel) {
    InputOpening in = open_input(path, "r");
    if (in.missing) return false;
    if (in.file == nullptr) unreadable(con, path, in.reason);
    int* const fields[6] = {&lines, &cols, &st.val, &st.min_al, &st.max_al, &pixel};
    const int read = read_descriptor(in.file, fields);
    const bool failed = std::ferror(in.file) != 0;
    const std::string cause = errno_text();
    const bool blank = read == 0 && !failed && holds_only_space(in.file);
    std::fclose(in.file);
    if (failed) unreadable(con, path, cause);
    if (blank) unreadable(con, path, "the file is empty");
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
    std::FILE*& raster;
    int& lines;
    int& cols;
    int& pixel;
};

// Mask and skeleton: the raster must exist; a missing descriptor is created from the answers.
void open_byte_input(RunState& st, Console& con, const std::string& folder, const ByteInput& in) {
    std::string name = con.ask_name(in.question);
    in.nomim = file_path(folder, name, kByteRaster);
    in.nomdescr = file_path(folder, name, kByteDescriptor);
    in.raster = open_input_or_stop(con, in.nomim, "rb");
    if (read_descriptor_file(st, con, in.nomdescr, in.lines, in.cols, in.pixel)) return;
    ask_sizes(con, in.nomdescr, in.lines, in.cols, in.pixel);
    st.val = 1;
    st.min_al = 0;
    st.max_al = 255;
    const int fields[6] = {in.lines, in.cols, 1, 0, 255, in.pixel};
    write_new_or_stop(con, in.nomdescr, descriptor_text(fields, 6), st.temporaries);
}

// The DEM: the raster must exist; a missing descriptor is created by the parameter dialog,
// once the DEM's extremes are known, from the sizes answered here.
void open_dem(RunState& st, Console& con, const std::string& folder) {
    std::string name = con.ask_name(
        "\n\n Name of the Digital Elevation Model (without extension _m4.raw) ? ");
    st.nomim3 = file_path(folder, name, kDemRaster);
    st.nomdescr3 = file_path(folder, name, kDemDescriptor);
    st.f3 = open_input_or_stop(con, st.nomim3, "rb");
    st.flag_f3d = 0;
    int pixel = 0;  // the DEM's own pixel size is neither compared nor written
    if (read_descriptor_file(st, con, st.nomdescr3, st.nb_lig3, st.nb_col3, pixel)) return;
    ask_sizes(con, st.nomdescr3, st.nb_lig3, st.nb_col3, pixel);
    st.val = 4;
    st.flag_f3d = 1;
}

void check_mask_size(RunState& st, Console& con) {
    if (st.nb_lig > 0 && st.nb_col > 0) return;
    con.fatal(strf("\n The descriptor %s gives no usable size: %d lines and %d columns \n",
                   st.nomdescr1.c_str(), st.nb_lig, st.nb_col));
}

// The input file a result path would replace, or an empty text.
std::string replaced_input(const RunState& st, const std::string& result) {
    for (const std::string* input : {&st.nomim1, &st.nomdescr1, &st.nomim2, &st.nomdescr2,
                                     &st.nomim3, &st.nomdescr3}) {
        if (same_file(result, *input)) return *input;
    }
    return std::string();
}

// Asks the result name until none of its five files would replace an input of the run.
std::string ask_result_name(RunState& st, Console& con, const std::string& folder) {
    for (;;) {
        std::string name =
            con.ask_name("\n\n Name of the resulting File (without any extension) ? ");
        st.nomdescr4 = file_path(folder, name, kResultDemDescriptor);
        st.nomim4 = file_path(folder, name, kResultDemRaster);
        st.nomxls4 = file_path(folder, name, kResultTable);
        st.nomim5 = file_path(folder, name, kResultMaskRaster);
        st.nomdescr5 = file_path(folder, name, kResultMaskDescriptor);
        std::string clash;
        for (const std::string* result :
             {&st.nomdescr4, &st.nomim4, &st.nomxls4, &st.nomim5, &st.nomdescr5}) {
            if (clash.empty()) clash = replaced_input(st, *result);
        }
        if (clash.empty()) return name;
        con.say("\n The result name %s would replace the input file %s: please choose another "
                "name \n",
                name.c_str(), clash.c_str());
    }
}

// Takes the result name for this run alone: another run writing the same results stops.
void lock_results(RunState& st, Console& con, const std::string& folder, const std::string& name) {
    const std::string lock = file_path(folder, "." + name, "_tarvex.lock");
    switch (st.results->lock(lock)) {
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

void create_results(RunState& st, Console& con, const std::string& folder, const std::string& name) {
    st.results = std::make_unique<OutputSet>(st.temporaries);
    lock_results(st, con, folder, name);
    OutputSet& out = *st.results;
    st.f4 = create_or_stop(con, out, st.nomim4, "wb");
    st.f4d = create_or_stop(con, out, st.nomdescr4, "w");
    st.f4xls = create_or_stop(con, out, st.nomxls4, "w");
    st.f5 = create_or_stop(con, out, st.nomim5, "wb");
    st.f5d = create_or_stop(con, out, st.nomdescr5, "w");

    const int mask_fields[6] = {st.nb_lig, st.nb_col, 1, 0, 255, st.taille_pix};
    write_descriptor_lines(st.f5d, mask_fields, 6);
    std::fprintf(st.f5d, "\n\n Input Data : ");
    std::fprintf(st.f5d, "\n\tRiver mask                : %s ", st.nomim1.c_str());
    std::fprintf(st.f5d, "\n\tRiver skeleton           : %s ", st.nomim2.c_str());
    std::fprintf(st.f5d, "\n\tDigital Elevation Model : %s ", st.nomim3.c_str());

    st.val = 4;
    const int dem_head[3] = {st.nb_lig, st.nb_col, 4};
    write_descriptor_lines(st.f4d, dem_head, 3);
}

// The seven grids, once it is clear the machine has the memory they need.
void allocate_grids(RunState& st, Console& con) {
    const std::uint64_t needed = run_memory_need(st.nb_lig, st.nb_col), available = available_memory();
    if (needed > available) {
        con.fatal(strf("\n Not enough memory for the grids of %d lines and %d columns: the run needs %s and "
                       "%s is available \n",
                       st.nb_lig, st.nb_col, size_text(needed).c_str(), size_text(available).c_str()));
    }
    st.tab_mask = ucmatrice(st.nb_col, st.nb_lig);
    st.tab_mask_prov = ucmatrice(st.nb_col, st.nb_lig);
    st.tab_soul = ucmatrice(st.nb_col, st.nb_lig);
    st.tab_soul_prov = ucmatrice(st.nb_col, st.nb_lig);
    st.tab_respaldo = ucmatrice(st.nb_col, st.nb_lig);
    st.itab_in = imatrice(st.nb_col, st.nb_lig);
    st.itab_out = imatrice(st.nb_col, st.nb_lig);
    if (st.tab_mask && st.tab_mask_prov && st.tab_soul && st.tab_soul_prov && st.tab_respaldo &&
        st.itab_in && st.itab_out) {
        return;
    }
    con.fatal(strf("\n Not enough memory for the grids of %d lines and %d columns \n",
                   st.nb_lig, st.nb_col));
}

}  // namespace

void opening(RunState& st, Console& con) {
    banner(con);
    const std::string folder = images_folder(con.ask_name("\n\n Name of the Directory ? "));

    open_byte_input(st, con, folder,
                    {"\n\n Name of the River Mask (without extension .raw) ? ", st.nomim1,
                     st.nomdescr1, st.f1, st.nb_lig, st.nb_col, st.taille_pix});
    check_mask_size(st, con);
    con.say("\n\n  THE FIRST FILE HAS:  \n");
    con.say("\n              %d LINES\n", st.nb_lig);
    con.say("\n          AND %d COLUMNS\n", st.nb_col);

    int nb_lig2 = 0, nb_col2 = 0, taille_pix2 = 0;
    open_byte_input(st, con, folder,
                    {"\n\n Name of the River Skeleton (without extension .raw) ? ", st.nomim2,
                     st.nomdescr2, st.f2, nb_lig2, nb_col2, taille_pix2});
    con.say("\n\n  THE SECOND FILE HAS:  \n");
    con.say("\n               %d LINES\n", nb_lig2);
    con.say("\n           AND %d COLUMNS\n", nb_col2);

    open_dem(st, con, folder);

    if (st.nb_lig == nb_lig2 && st.nb_lig == st.nb_lig3 && st.nb_col == nb_col2 &&
        st.nb_col == st.nb_col3) {
        con.say("\n\n ALL THE FILES HAVE THE SAME SIZE");
    } else {
        con.warn("\n\n NOT ALL THE FILES HAVE THE SAME SIZE");
    }

    const std::string name = ask_result_name(st, con, folder);
    create_results(st, con, folder, name);
    allocate_grids(st, con);
}
