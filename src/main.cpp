// tarvex: river and flood analysis on terrain rasters. One start of the program is one run:
// the stages below, once each, in this order.
#include <iostream>

#include "stages.h"

int main() {
    std::ios::sync_with_stdio(false);
    Console con = Console::standard();
    RunState st;
    opening(st, con);
    lecture(st, con);
    parameters(st, con);
    create_river_surface(st, con);
    treatment(st, con);
    save(st, con);
    finish(st, con);
    release_run(st);
    return 0;
}
