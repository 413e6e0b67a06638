// tarvex-gis flood: one command from GIS data to a complete, checked flood of a river reach.
#ifndef TARVEX_GIS_FLOOD_H
#define TARVEX_GIS_FLOOD_H

#include <functional>
#include <string>

#include "engine.h"
#include "flood_checks.h"
#include "flood_files.h"
#include "flood_setup.h"
#include "maps.h"
#include "options.h"

// The command with its options, checked against the flood command's declaration.
int flood_command(const OptionValues& options);

// One run of the reach with the parameters `p`, all its files written in `place`.
struct FloodRun {
    Results results;
    FloodFigures figures;
    std::string summary;
};
// What a caller running one reach again and again keeps from run to run: grids of the reach's
// size (a run's results once written), which take the next run's copies of the inputs, as
// memory already in use costs far less to fill than fresh pages; and the run inputs written
// once for all the runs.
struct RunReuse {
    Inputs spare;
    SharedRunInputs* inputs = nullptr;
};
// A run that already took place may be handed in as `ran` (its results and console trace).
struct EngineRun {
    Results results;
    std::string trace;
};
// A flood made for a discharge has its `discharge` figures completed and written with the others.
FloodRun flood_run(const Reach& r, const RunSettings& p, const FloodOptions& o, const FloodPlace& place,
                   const ProgressFn& progress, RunReuse* reuse = nullptr, EngineRun* ran = nullptr,
                   const DischargeFigures* discharge = nullptr);

// The engine's run of the reach `r` with the parameters `p`, its console trace kept.
EngineRun engine_run(const Reach& r, const RunSettings& p, const FloodPlace& place, const ProgressFn& progress,
                     RunReuse* reuse = nullptr);

// The parameters of the reach `r` with a layer of `metres` along it.
RunSettings at_layer(const Reach& r, double metres);

// The reach read in a window of the DEM and run with the settings `settings(reach)` gives,
// the window's margin doubled and the run made again while the flood reaches a side of the
// window inside the DEM; with --extent full, the whole DEM at once.
struct WindowedRun {
    Reach reach;
    EngineRun run;
};
WindowedRun run_in_window(const FloodOptions& o, const std::function<RunSettings(const Reach&)>& settings,
                          const FloodPlace& place, const ProgressFn& progress);

// The progress of a flood's engine run: each pass on one line of the error stream when
// `shown`; once an interruption has begun, the run stops at its next pass.
ProgressFn progress_of_flood(bool shown);

// A map of the reach's ground, its path and ends, showing `value(i, j)` over it (NaN: nothing shown).
MapSource reach_map(const Reach& r, std::function<float(int, int)> value);

#endif
