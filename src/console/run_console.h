// The console program's driver: run_console() goes through the dialog's stages around the
// engine's run, which it gives the dialog's answers as they are (run_state.h).
#ifndef TARVEX_RUN_CONSOLE_H
#define TARVEX_RUN_CONSOLE_H

#include "console.h"
#include "engine.h"
#include "temporaries.h"

// One console run: opening, lecture, parameters, the engine, save. Returns the exit status of
// a completed run, 0; a run that cannot go on throws Stop. The run's temporaries are made
// known to `temporaries` (may be null).
int run_console(Console& con, Temporaries* temporaries);

#endif
