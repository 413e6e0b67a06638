// tarvex: river and flood analysis on terrain rasters.
#include <cstdio>
#include <exception>
#include <iostream>
#include <new>
#include <string>

#include "run_console.h"
#include "signal_cleanup.h"

namespace {

constexpr const char* kUsage =
    "usage: tarvex [--help | --version]\n"
    "  River and flood analysis on terrain rasters. tarvex asks its questions on the terminal (or\n"
    "  reads the answers from its standard input): the images folder's directory and the three\n"
    "  rasters (river mask, river skeleton, DEM), the result name, the DEM unit, the upper and\n"
    "  lower points of the river, the Gaussian wave and the water layer, and the pixel size. It\n"
    "  writes the flooded DEM, the flood extent, the run report and the profile table beside the\n"
    "  inputs. The images folder is ./images, or $TARVEX_IMAGES when set.\n";

// --help and --version answer at once, without the dialog; 0 when neither was asked for.
// Other words are left alone, as the program has always done.
bool answered_at_once(int argc, char** argv) {
    for (int k = 1; k < argc; ++k) {
        const std::string word = argv[k];
        if (word == "--help" || word == "-h") {
            std::fputs(kUsage, stdout);
            return true;
        }
        if (word == "--version") {
            std::printf("tarvex %s\n", TARVEX_VERSION);
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (answered_at_once(argc, argv)) return 0;
    try {
        Temporaries temporaries;
        SignalCleanup signals(temporaries);  // first: Ctrl-C, SIGTERM and SIGHUP remove the run's temporaries
        std::ios::sync_with_stdio(false);
        Console con = Console::standard();
        return run_console(con, &temporaries);
    } catch (const Stop&) {
        return 1;  // the console has said why; the results of a stopped run are not written
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "tarvex: not enough memory: the run stopped, and its results are not written\n");
    } catch (const std::exception& error) {
        // A fault outside the dialog's own checks (a thread that could not start, ...): said
        // in one line rather than as an abort.
        std::fprintf(stderr, "tarvex: %s: the run stopped, and its results are not written\n", error.what());
    }
    return 1;
}
