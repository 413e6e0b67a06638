// The run driver: one start of the program is one run over one set of inputs, its stages once
// each in this order.
#include "stages.h"

int run(RunState& st, Console& con) {
    opening(st, con);
    lecture(st, con);
    parameters(st, con);
    create_river_surface(st, con);
    treatment(st, con);
    save(st, con);
    finish(st, con);
    return 0;
}
