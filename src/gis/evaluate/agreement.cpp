#include "agreement.h"

#include <vector>

#include "json_files.h"
#include "text.h"

namespace {

Score ratio(std::int64_t above, std::int64_t below, const char* why_none) {
    if (below == 0) return Score{std::nullopt, why_none};
    return Score{static_cast<double>(above) / static_cast<double>(below), ""};
}

struct Named {
    const char* name;
    const Score* score;
};

std::vector<Named> named(const Scores& s) {
    return {{"csi", &s.csi}, {"pod", &s.pod}, {"far", &s.far}, {"bias", &s.bias}};
}

const char* const kClassNames[4] = {"true_negative", "false_negative", "false_positive", "true_positive"};

}  // namespace

Agreement agreement_of(bool in_domain, bool mapped, bool observed) {
    if (!in_domain) return kOutsideDomain;
    if (mapped) return observed ? kTruePositive : kFalsePositive;
    return observed ? kFalseNegative : kTrueNegative;
}

Scores scores_of(const Contingency& c) {
    const std::int64_t tp = c[kTruePositive], fp = c[kFalsePositive], fn = c[kFalseNegative];
    Scores s;
    s.csi = ratio(tp, tp + fp + fn, "no cell of the domain is flooded on the map or in the observation");
    s.pod = ratio(tp, tp + fn, "no cell of the domain is flooded in the observation");
    s.far = ratio(fp, tp + fp, "no cell of the domain is flooded on the map");
    s.bias = ratio(tp + fp, tp + fn, "no cell of the domain is flooded in the observation");
    return s;
}

void add_agreement_json(CPLJSONObject& o, const Contingency& c, double cell_m2) {
    CPLJSONObject cells, areas, scores;
    for (int k = 0; k < 4; ++k) {
        const auto a = static_cast<Agreement>(k);
        cells.Add(kClassNames[k], static_cast<GInt64>(c[a]));
        areas.Add(kClassNames[k], rounded(static_cast<double>(c[a]) * cell_m2, 2));
    }
    std::vector<std::string> notes;
    const Scores all = scores_of(c);
    for (const Named& n : named(all)) {
        if (n.score->value) {
            scores.Add(n.name, rounded(*n.score->value, 6));
        } else {
            scores.AddNull(n.name);
            notes.push_back(std::string(n.name) + " is null: " + n.score->why_none);
        }
    }
    o.Add("cells", cells);
    o.Add("areas_m2", areas);
    o.Add("scores", scores);
    o.Add("notes", json_strings(notes));
}

std::string scores_text(const Scores& s) {
    const char* shown[4] = {"CSI", "POD", "FAR", "bias"};
    std::string text;
    int k = 0;
    for (const Named& n : named(s)) {
        text += std::string(k > 0 ? ", " : "") + shown[k] + " " + (n.score->value ? strf("%.3f", *n.score->value) : "none");
        ++k;
    }
    return text;
}
