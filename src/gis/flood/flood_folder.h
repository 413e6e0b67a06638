// The output folder of a flood, made whole or not at all: everything is written into a hidden
// folder beside FOLDER, which takes its place once complete. Without --overwrite an existing
// FOLDER is never replaced, also when it appears while the flood runs. With it, FOLDER is
// replaced only when it is a complete earlier output of tarvex-gis (see output_folder.h), and
// only at the commit. A command that fails or is interrupted leaves FOLDER as it was and
// nothing else.
#ifndef TARVEX_GIS_FLOOD_FOLDER_H
#define TARVEX_GIS_FLOOD_FOLDER_H

#include <string>
#include <vector>

// A folder of a flood's files: where they are written now, and where they will be.
struct FloodPlace {
    std::string work, final_root;
    std::string at(const std::string& name) const { return work + "/" + name; }
    std::string final_path(const std::string& name) const { return final_root + "/" + name; }
};

// Writes the record of the flood folder `folder` (as written now) into it: what a later
// --overwrite recognises as ours. Each level of a library has its own, as a single flood.
// `made_by` names the command that wrote the folder.
void write_record(const std::string& folder, const std::string& made_by = "tarvex-gis flood");

// Makes the folders of `relative` below `root`, one level at a time, never `root` itself: once
// an interruption has removed a flood's hidden folder, nothing written later brings it back.
// Fails naming the folder that cannot be made.
void make_folders_below(const std::string& root, const std::string& relative);

class FloodFolder {
public:
    // Fails when FOLDER exists and may not be replaced; `inputs` are the paths the command
    // reads (the files GDAL reads for them are found here); `made_by` names the command writing
    // the folder, in its record and messages ("tarvex-gis flood").
    FloodFolder(const std::string& out, bool overwrite, const std::vector<std::string>& inputs,
                const std::string& made_by = "tarvex-gis flood");
    ~FloodFolder();
    FloodFolder(const FloodFolder&) = delete;
    FloodFolder& operator=(const FloodFolder&) = delete;

    // Where the file `name` of FOLDER (e.g. "run/answers.txt") is written now.
    std::string at(const std::string& name) const;
    // Where it will be: FOLDER/name, as given.
    std::string final_path(const std::string& name) const;
    // The sub-folder `sub` of FOLDER (all of it for ""), made with its run/ when `with_run`.
    FloodPlace place(const std::string& sub, bool with_run = true) const;
    // `message` with the hidden folder's path named as FOLDER's.
    std::string named(const std::string& message) const;
    // Records what the folder holds, syncs it and moves it into place.
    void commit();

private:
    void move_in();
    void replace();

    std::string out_, work_;
    std::string made_by_, files_;  // the command, and "the flood's files" in its messages
    bool overwrite_;
    std::vector<std::string> inputs_;  // every file read for the inputs
    bool committed_ = false;
};

#endif
