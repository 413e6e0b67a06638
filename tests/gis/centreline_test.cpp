// Tests of tarvex-gis centreline.
#include "gis_support.h"
