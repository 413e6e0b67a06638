// tarvex-gis: the GIS companion of tarvex. It brings GeoTIFF (or any GDAL raster or vector)
// DEMs, masks and skeletons in as tarvex's raw rasters, takes results out as GeoTIFFs, and
// draws a run as a map and a profile.
#include <cpl_error.h>
#include <malloc.h>
#include <gdal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "batch.h"
#include "commands.h"
#include "endpoints.h"
#include "evaluate.h"
#include "exports.h"
#include "flood.h"
#include "gis_io.h"
#include "imports.h"
#include "merge.h"
#include "outputs.h"
#include "profile.h"
#include "render.h"
#include "signal_cleanup.h"
#include "stats.h"
#include "stop.h"

namespace {

[[noreturn]] void usage_error(const std::string& message, const CommandDecl& c) {
    std::fprintf(stderr, "tarvex-gis: %s\nusage: tarvex-gis %s\n", message.c_str(), c.synopsis().c_str());
    std::exit(2);
}

void print_overview() {
    std::printf("usage: tarvex-gis COMMAND ... (tarvex-gis COMMAND --help for one command and its options, "
                "tarvex-gis --version)\n\n");
    for (const CommandDecl& c : gis_commands()) std::printf("%s\n", c.summary().c_str());
}

// The command's words as its declaration reads them: exits with the usage when they do not
// match it, or with the command's help when asked.
CommandLine parse(const CommandDecl& c, int argc, char** argv) {
    const std::vector<std::string> words(argv + 2, argv + argc);
    for (const std::string& word : words) {
        if (word == "--help" || word == "-h") {
            std::printf("usage: tarvex-gis %s", c.help().c_str());
            std::exit(0);
        }
    }
    try {
        return split_command_line(c, words);
    } catch (const UsageError& error) {
        usage_error(error.what(), c);
    }
}

int dispatch(const CommandDecl& c, const CommandLine& line) {
    const OptionValues v(c, line.given);  // fails naming the first value that is not of its option's type
    const auto& p = line.positionals;
    const std::string& name = c.name;
    const bool overwrite = v.given("--overwrite");
    if (name == "import-dem") {
        return import_dem(p[0], p[1], v.text("--unit"), v.text("--z-unit"), v.whole("--nodata"), overwrite);
    }
    if (name == "import-mask") return import_byte_raster(p[0], p[1], v.text("--like"), true, overwrite);
    if (name == "import-skeleton") return import_byte_raster(p[0], p[1], v.text("--like"), false, overwrite);
    if (name == "export") {
        return export_result(p[0], p[1], v.text("--like"), v.text("--depth"), v.text("--unit"), overwrite);
    }
    if (name == "stats") return flood_stats(p[0], v.text("--dem"), v.text("--unit"), v.given("--json"));
    if (name == "render") return render_map(p[0], p[1], v.text("--unit"), overwrite, v.text("--extent"));
    if (name == "flood") return flood_command(v);
    if (name == "batch") return batch_command(p[0], v);
    if (name == "merge") return merge_command(p, v.text("--out"), overwrite);
    if (name == "endpoints") return endpoints_command(p[0], v.text("--dem"));
    if (name == "evaluate") return evaluate_command(v);
    return render_profile(p[0], p[1], v.text("--unit"), overwrite);
}

// Blocks of 128 KiB and more (grids, raster pieces, GDAL's tiles) get pages of their own, given
// back to the system when freed. By default glibc raises this threshold after the first big
// free, so that later grids of a byte a cell come from the threads' arenas, which keep their
// freed pages: with several runs at once that held about 4 bytes a cell beyond what the live
// grids need.
void keep_big_blocks_apart() {
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}

}  // namespace

namespace {

// The command, its failures told in one line: a stop in its own words, anything else (a file
// system error, a thread that could not start, memory running out) as what it is. Once an
// interruption has begun, the signal's thread ends the process: nothing is said here.
int run_command(const CommandDecl& command, const CommandLine& line) {
    try {
        // Before GDAL starts any thread: Ctrl-C, SIGTERM and SIGHUP remove the outputs' temporaries.
        SignalCleanup signals(gis_temporaries());
        CPLSetErrorHandler(CPLQuietErrorHandler);  // failures are reported in our own words
        GDALAllRegister();
        try {
            return dispatch(command, line);
        } catch (...) {
            if (gis_temporaries().stopping()) {
                for (;;) ::pause();  // the signal's thread removes the temporaries and ends the process
            }
            throw;
        }
    } catch (const Stop& stop) {
        std::fprintf(stderr, "tarvex-gis: %s\n", stop.what());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "tarvex-gis: not enough memory\n");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tarvex-gis: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "tarvex-gis: an unexpected error stopped the command\n");
    }
    return 1;  // the outputs not committed went with the stack
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]) == "--version") {
        std::printf("tarvex-gis %s\n", TARVEX_VERSION);
        return 0;
    }
    if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
        print_overview();
        return argc < 2 ? 2 : 0;
    }
    const CommandDecl* command = gis_command(argv[1]);
    if (command == nullptr) {
        std::fprintf(stderr, "tarvex-gis: unknown command %s (tarvex-gis --help lists them)\n", argv[1]);
        return 2;
    }
    const CommandLine line = parse(*command, argc, argv);
    keep_big_blocks_apart();
    return run_command(*command, line);
}
