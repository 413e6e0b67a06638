// tarvex: river and flood analysis on terrain rasters.
#include <iostream>

#include "run.h"
#include "signal_cleanup.h"

int main() {
    Temporaries temporaries;
    SignalCleanup signals(temporaries);  // first: Ctrl-C, SIGTERM and SIGHUP remove the run's temporaries
    std::ios::sync_with_stdio(false);
    Console con = Console::standard();
    try {
        return run_console(con, &temporaries);
    } catch (const Stop&) {
        return 1;  // the console has said why; the results of a stopped run are not written
    }
}
