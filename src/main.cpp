// tarvex: river and flood analysis on terrain rasters.
#include <iostream>

#include "stages.h"

int main() {
    std::ios::sync_with_stdio(false);
    Console con = Console::standard();
    RunState st;
    const int status = run(st, con);
    release_run(st);
    return status;
}
