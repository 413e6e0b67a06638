// The flood command's options, checked against their declaration, as the typed FloodOptions.
#ifndef TARVEX_GIS_FLOOD_OPTIONS_H
#define TARVEX_GIS_FLOOD_OPTIONS_H

#include "flood_setup.h"
#include "options.h"

// Checks what the declaration cannot tell alone (one of --mask and --width, one of --layer,
// --layers and --wave at least, the wave's half length, levels only on the straight surface,
// values that fit the run's unit); fails saying which option is wrong.
FloodOptions flood_options(const OptionValues& v);

#endif
