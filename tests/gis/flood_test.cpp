// Tests of tarvex-gis flood.
#include "gis_support.h"
