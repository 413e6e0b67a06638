// The map of a flood's agreement with an observed flood: the false negatives, false positives
// and true positives in colours over the hillshade of the ground (the true negatives), the
// cells outside the domain blank, with a key naming the classes.
#ifndef TARVEX_GIS_AGREEMENT_MAP_H
#define TARVEX_GIS_AGREEMENT_MAP_H

#include <string>
#include <vector>

#include "grid.h"

// The colours of the classes (a test looks for them).
inline constexpr unsigned char kFalseNegativeRgb[3] = {255, 174, 0}, kFalsePositiveRgb[3] = {215, 38, 61},
                               kTruePositiveRgb[3] = {33, 102, 172};

struct AgreementMap {
    const ByteGrid* classes = nullptr;         // 0 to 3 as agreement.tif holds them, 255 outside the domain
    const std::vector<float>* ground = nullptr;  // metres, line after line, NaN without data
    double pixel_m = 1;
    std::string title;
    std::vector<std::string> notes;  // under the title: the scores
};

// Draws the map as a PNG into `path`, the file named `name` in messages.
void draw_agreement_map(const AgreementMap& map, const std::string& path, const std::string& name);

#endif
