#include "json_files.h"

#include <cmath>

#include "gis_io.h"

std::string json_document(const CPLJSONObject& root) {
    return root.Format(CPLJSONObject::PrettyFormat::Pretty) + "\n";
}

CPLJSONObject read_json(const std::string& path) {
    CPLJSONDocument doc;
    if (!doc.LoadMemory(read_text(path))) fail(path + " is not JSON");
    return doc.GetRoot();
}

double rounded(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    const double r = std::round(value * scale) / scale;
    return std::isfinite(r) ? r : value;  // a figure too large to scale keeps its digits
}

CPLJSONArray json_strings(const std::vector<std::string>& texts) {
    CPLJSONArray a;
    for (const std::string& t : texts) a.Add(t);
    return a;
}
