#include "flood_beside_river.h"

#include "byte_grids.h"
#include "flooding.h"

void treatment(Grids& g, RunLog& log, bool sound) {
    log.say("\n\n Last Treatment \n");
    copy_grid(g.tab_mask_prov.rows(), g.tab_mask.rows(), g.shape());
    log.say("\n");
    log.stage("flooding");
    flooding(g, log, kMaxPasses, sound);
}
