// Which folders an output folder may replace. A command replaces (with --overwrite) only a
// complete earlier output of tarvex-gis: a folder holding the record written into it at its
// commit, and nothing that record does not list. Never a folder that is, or holds, one of the
// command's inputs, and never the places a slip of the keyboard names: the root, the home
// folder, the current folder or one above it, a mount point.
#ifndef TARVEX_GIS_OUTPUT_FOLDER_H
#define TARVEX_GIS_OUTPUT_FOLDER_H

#include <string>
#include <vector>

// The record's name in the folder.
inline constexpr const char* kFolderRecord = ".tarvex-output.json";

// The record of `folder` as it stands: what made it (`made_by`) and every file and folder in it
// (folders with a trailing '/'), as JSON text.
std::string folder_record(const std::string& folder, const std::string& made_by);

// Fails, naming what is in the way, unless the existing `out` may be replaced: a folder (not a
// link), not one of the forbidden places, holding none of `inputs`, whose record lists all it holds.
void check_replaceable(const std::string& out, const std::vector<std::string>& inputs);

// Fails when `folder` is one of `inputs`, or holds one (by its path, links followed).
void check_holds_no_input(const std::string& folder, const std::vector<std::string>& inputs);

// The files GDAL reads for the dataset at `path` (raster or vector): the path itself, its
// sidecars (a shapefile's .shx and .dbf, .aux.xml), the sources of a virtual raster, the files
// of a folder given as a vector source. Just the path when GDAL cannot open it (the command
// then refuses it for what it is); nothing for an empty path.
std::vector<std::string> files_read_for(const std::string& path);

// A new empty folder beside `out`, hidden (".NAME.XXXXXX"), made with the permissions of the
// umask like any other folder; fails saying why.
std::string new_hidden_folder(const std::string& out);

#endif
