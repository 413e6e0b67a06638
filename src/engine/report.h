// The run report: the record of a run's inputs, parameters and river measurements that
// follows the six integers of the result mask's descriptor, block by block in the run's order.
#ifndef TARVEX_REPORT_H
#define TARVEX_REPORT_H

#include <string>

#include "result_files.h"
#include "run_state.h"

// The whole report of a run: its inputs, its points, its wave (with the shape factor found)
// and its layer when chosen, and the river's lengths.
std::string run_report(const RunScenario& s, double wave_factor, const Measurements& m);

#endif
