#include "endpoints.h"

#include "gis_io.h"

int endpoints_command(const std::string&, const std::string&) { fail("endpoints is not built yet"); }
