// The files of one evaluation: agreement.tif (the class of each cell), agreement.png (the
// classes over the hillshade, the scores under the title) and evaluation.json (the inputs, the
// domain, the counts, areas and scores).
#ifndef TARVEX_GIS_EVALUATION_FILES_H
#define TARVEX_GIS_EVALUATION_FILES_H

#include <cpl_json.h>

#include <string>

#include "flood_folder.h"
#include "scoring.h"

// What was scored against what, as the user named them.
struct EvaluationInputs {
    std::string flood, benchmark, domain;  // domain: "" for the DEM's cells with data
};

// The inputs, the domain and the window as JSON members of `o`.
void add_inputs_json(CPLJSONObject& o, const EvaluationInputs& in, const FloodGround& g, const Benchmark& b);

// Writes the three files into `place`; `layer` names a library's level in the picture's title
// ("" for a single flood). Returns the figures of evaluation.json.
CPLJSONObject write_evaluation(const FloodPlace& place, const FloodGround& g, const Benchmark& b, const Scored& s,
                               const EvaluationInputs& in, const std::string& layer);

#endif
