// JSON documents, written and read through GDAL's JSON classes: the figures of a flood, the
// indexes of libraries and batches, the records of output folders.
#ifndef TARVEX_GIS_JSON_FILES_H
#define TARVEX_GIS_JSON_FILES_H

#include <cpl_json.h>

#include <string>
#include <vector>

// The document `root` as written in a file: indented, one member a line, a final line break.
std::string json_document(const CPLJSONObject& root);

// The root object of the JSON text of `path`; fails "PATH is not JSON" when it does not parse.
CPLJSONObject read_json(const std::string& path);

// `value` rounded to `decimals` places, as a figure is given to a reader (areas to the
// square centimetre, volumes and depths to the millimetre) instead of with every binary digit.
double rounded(double value, int decimals);

// The texts as a JSON array of strings.
CPLJSONArray json_strings(const std::vector<std::string>& texts);

#endif
