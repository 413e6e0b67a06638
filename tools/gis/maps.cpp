#include "maps.h"

#include "gis_io.h"

void draw_flood_map(const MapSource&, const std::string&) { fail("flood maps are not built yet"); }
std::string profile_svg_text(const ProfileSource&) { fail("flood profiles are not built yet"); }
