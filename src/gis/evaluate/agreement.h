// How a flood map agrees with an observed flood, cell by cell: each cell of the domain is a
// true negative, a false negative (observed only), a false positive (mapped only) or a true
// positive, and the counts give the usual contingency scores.
#ifndef TARVEX_GIS_AGREEMENT_H
#define TARVEX_GIS_AGREEMENT_H

#include <cpl_json.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// The classes as agreement.tif stores them.
enum Agreement : unsigned char {
    kTrueNegative = 0,
    kFalseNegative = 1,
    kFalsePositive = 2,
    kTruePositive = 3,
    kOutsideDomain = 255,  // the raster's no data
};

// The class of a cell: in the domain or not, flooded on the map, flooded in the observation.
Agreement agreement_of(bool in_domain, bool mapped, bool observed);

// The cells of each class, counted.
struct Contingency {
    std::array<std::int64_t, 4> cells{};  // by class, true negatives first
    void add(Agreement a) {
        if (a != kOutsideDomain) ++cells[a];
    }
    std::int64_t operator[](Agreement a) const { return cells[a]; }
};

// A score, or none where its denominator is 0; `why_none` then says what is missing.
struct Score {
    std::optional<double> value;
    std::string why_none;
};

// CSI = TP/(TP+FP+FN), POD = TP/(TP+FN), FAR = FP/(TP+FP), bias = (TP+FP)/(TP+FN).
struct Scores {
    Score csi, pod, far, bias;
};
Scores scores_of(const Contingency& c);

// The counts, their areas (`cell_m2` a cell) and the scores as JSON members of `o`: a score
// without a value is null, and "notes" says why.
void add_agreement_json(CPLJSONObject& o, const Contingency& c, double cell_m2);

// "CSI 0.625, POD 0.833, FAR 0.286, bias 1.167" (a score without a value: "CSI none").
std::string scores_text(const Scores& s);

#endif
