// tarvex: river and flood analysis on terrain rasters.
#include <iostream>

#include "signal_cleanup.h"
#include "stages.h"
#include "stop.h"

int main() {
    Temporaries temporaries;
    SignalCleanup signals(temporaries);  // first: Ctrl-C, SIGTERM and SIGHUP remove the run's temporaries
    std::ios::sync_with_stdio(false);
    Console con = Console::standard();
    RunState st;
    st.temporaries = &temporaries;
    int status = 1;
    try {
        status = run(st, con);
    } catch (const Stop&) {
        status = 1;  // the console has said why; the results of a stopped run are not written
    }
    release_run(st);
    return status;
}
