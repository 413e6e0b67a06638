// Platform matters: the terminal, the key press without echo, and the images folder.
#ifndef TARVEX_PLATFORM_H
#define TARVEX_PLATFORM_H

#include <string>

bool stdin_is_terminal();
bool stdout_is_terminal();

// Waits for one key press on the terminal, without echo and without Enter.
void read_one_key();

// The folder of a run: off Windows the environment variable TARVEX_IMAGES when set and not
// empty, else "images", then "/", the directory answer and "/"; on Windows "c:\images\",
// the directory answer and "\". Nothing is trimmed or normalised.
std::string images_folder(const std::string& directory);

// True when both paths name one existing file (not merely the same text).
bool same_file(const std::string& a, const std::string& b);

#endif
