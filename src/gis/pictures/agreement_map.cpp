#include "agreement_map.h"

#include <cmath>

#include "maps.h"

namespace {

Rgb rgb(const unsigned char (&c)[3]) { return Rgb{c[0], c[1], c[2]}; }

}  // namespace

void draw_agreement_map(const AgreementMap& a, const std::string& path, const std::string& name) {
    const ByteGrid& classes = *a.classes;
    const std::size_t cols = static_cast<std::size_t>(classes.nb_col());
    MapSource m;
    m.lines = classes.nb_lig();
    m.cols = classes.nb_col();
    m.pixel_m = a.pixel_m;
    m.read_line = [&a, &classes, cols](int i, float* ground, float* shown) {
        const float* line = a.ground->data() + static_cast<std::size_t>(i) * cols;
        for (std::size_t j = 0; j < cols; ++j) {
            const unsigned char c = classes[i][j];
            ground[j] = c <= 3 ? line[j] : NAN;  // outside the domain: blank
            shown[j] = c >= 1 && c <= 3 ? static_cast<float>(c) : NAN;  // true negatives: the hillshade
        }
    };
    m.title = a.title;
    m.notes = a.notes;
    m.classes = {0, 1, 2, 3};
    m.class_colours = {Rgb{150, 150, 150}, rgb(kFalseNegativeRgb), rgb(kFalsePositiveRgb), rgb(kTruePositiveRgb)};
    m.class_names = {"true negative (dry in both)", "false negative (observed only)", "false positive (map only)",
                     "true positive (flooded in both)"};
    draw_flood_map(m, path, name);
}
