// tarvex: river and flood analysis on terrain rasters.
#include <cstdio>
#include <exception>
#include <iostream>
#include <new>

#include "run.h"
#include "signal_cleanup.h"

int main() {
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
