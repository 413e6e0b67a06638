// The parameter dialog of a console run: the DEM's range and unit, the two end points of the
// river, the Gaussian wave (its shape search shown pass by pass) and the water layer, and the
// pixel size. A missing DEM descriptor is created here, once the DEM's extremes are known.
#ifndef TARVEX_PARAMETERS_H
#define TARVEX_PARAMETERS_H

#include "console.h"
#include "run_state.h"
#include "opening.h"

// Asks the parameters of a run over the loaded inputs. Refusing both the wave and the layer
// is a fatal stop.
Parameters parameters(RunFiles& files, const Inputs& inputs, Console& con);

#endif
