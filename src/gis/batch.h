// tarvex-gis batch: the flood libraries of the reaches of a manifest, each in its folder, a
// shard of the rows at a time, and an index of what became of each row.
#ifndef TARVEX_GIS_BATCH_H
#define TARVEX_GIS_BATCH_H

#include <string>

#include "options.h"

// Runs the rows of `manifest` (of the shard --shard K/N, all without) with the options
// --out, --jobs, --shard and --redo. A row that fails is recorded with its reason and the
// others go on; the index is rewritten whole as each row ends, and nothing but a batch's index
// is ever replaced at its name. Returns 1 when any row failed, 0 otherwise.
int batch_command(const std::string& manifest, const OptionValues& options);

#endif
