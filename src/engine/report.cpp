#include "report.h"

#include <cstdio>

#include "text.h"

namespace {

// The lines that name the inputs, up to the path; each path is followed by a space.
const char* const kInputLines[3] = {"\n\tRiver mask                : ", "\n\tRiver skeleton           : ",
                                    "\n\tDigital Elevation Model : "};

std::string input_record(const RunScenario& s) {
    return "\n\n Input Data : " + std::string(kInputLines[0]) + s.nomim1 + " " + kInputLines[1] + s.nomim2 + " " +
           kInputLines[2] + s.nomim3 + " ";
}

std::string points_record(const Parameters& p) {
    return "\n\n Parameters values : " +
           strf("\n\n\tStarting point : i = %d \tj = %d \t    DEM altitude = %lf ", p.ideb, p.jdeb, p.alti_deb) +
           strf("\n\tEnd point :       i = %d \tj = %d \t    DEM altitude = %lf ", p.ifin, p.jfin, p.alti_fin);
}

std::string wave_record(const Parameters& p, double A) {
    return "\n\n Gaussian parameters : " + strf("\n\n\tCalculated factor A = %lf ", A) +
           strf("\n\tHalf wave lenght (in pixels) = %d ", p.LO) +
           strf("\n\tGreater altitude of the wave (in meter with decimal value) = %lf ", p.AO_Max) +
           strf("\n\tCoordinates of this point \ti = %d \tj = %d ", p.i_AO, p.j_AO);
}

std::string layer_record(const Parameters& p) {
    return "\n\n Water layer above the river surface : " +
           strf("\n\n\tThickness above the starting point = %lf ", p.dthick_deb) +
           strf("\n\tThickness above the end point = %lf ", p.dthick_end);
}

std::string length_record(const Measurements& m) {
    return "\n Length parameter\n" + strf("\n\tRiver segment length (in meters) = %lf ", m.length_tot) +
           strf("\n\tDistance between the segment extremities (in meters) = %lf ", m.hypo) +
           strf("\n\tDegree of meander tortuosity = %lf ", m.ratio);
}

}  // namespace

std::string run_report(const RunScenario& s, double wave_factor, const Measurements& m) {
    const Parameters& p = s.parameters;
    std::string report = input_record(s) + points_record(p);
    if (p.gauss_treat == 0) report += wave_record(p, wave_factor);
    if (p.water_layer == 0) report += layer_record(p);
    return report + length_record(m);
}

bool report_input(const std::string& report, ReportInput which, std::string& path) {
    const std::string line = kInputLines[static_cast<int>(which)];
    const std::size_t at = report.find(line);
    if (at == std::string::npos) return false;
    const std::size_t start = at + line.size();
    std::size_t end = report.find('\n', start);
    if (end == std::string::npos) end = report.size();
    path = report.substr(start, end - start);
    if (!path.empty() && path.back() == ' ') path.pop_back();  // the space after the path
    return true;
}

bool report_point(const std::string& report, ReportPoint which, GridPoint& cell) {
    const char* const labels[3] = {"Starting point :", "End point :", "Coordinates of this point"};
    const std::string label = labels[static_cast<int>(which)];
    const std::size_t at = report.find(label);
    if (at == std::string::npos) return false;
    return std::sscanf(report.c_str() + at + label.size(), " i = %d j = %d", &cell.line, &cell.column) == 2;
}
