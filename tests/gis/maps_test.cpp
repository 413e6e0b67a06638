// Tests of tarvex-gis maps.
#include "gis_support.h"
