// The commands of tarvex-gis and their options, declared once: the command line, a batch
// manifest's columns and the usage texts all come from these declarations.
#ifndef TARVEX_GIS_COMMANDS_H
#define TARVEX_GIS_COMMANDS_H

#include <string>
#include <vector>

#include "options.h"

// Every command, by name.
const std::vector<CommandDecl>& gis_commands();

// The command of that name; nullptr when there is none.
const CommandDecl* gis_command(const std::string& name);

// The flood command, whose options a batch manifest's rows give.
const CommandDecl& flood_declaration();

#endif
