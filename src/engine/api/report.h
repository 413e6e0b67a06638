// The run report: the record of a run's inputs, parameters and river measurements that
// follows the six integers of the result mask's descriptor, block by block in the run's order.
#ifndef TARVEX_REPORT_H
#define TARVEX_REPORT_H

#include <string>

#include "engine.h"

// The whole report of a run: its inputs, its points, its wave (with the shape factor found)
// and its layer when chosen, and the river's lengths.
std::string run_report(const Scenario& s, double wave_factor, const Measurements& m);

// The inputs a report names, by the labels it names them with.
enum class ReportInput { mask, skeleton, dem };
// The path of an input as a run report names it; false when the report names none.
bool report_input(const std::string& report, ReportInput which, std::string& path);

#endif
