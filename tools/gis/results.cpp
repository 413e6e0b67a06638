#include "results.h"

#include "gis_io.h"

RunResults load_results(const std::string& base) {
    RunResults r;
    const std::vector<int> d = read_descriptor_file(base + "_tarvex.txt");
    r.lines = d[0];
    r.cols = d[1];
    r.pixel = d[5];
    const std::size_t n = static_cast<std::size_t>(r.lines) * r.cols;
    r.report = read_text(base + "_tarvex.txt");
    r.dem = read_raw_int32(base + "_tarvex_m4.raw", n);
    r.extent = read_raw_bytes(base + "_tarvex.raw", n);
    return r;
}

std::string RunResults::input(const std::string& label) const {
    const std::size_t at = report.find("\n\t" + label);
    const std::size_t colon = at == std::string::npos ? at : report.find(": ", at);
    if (colon == std::string::npos) fail("the run report does not name its " + label);
    std::size_t end = report.find('\n', colon);
    if (end == std::string::npos) end = report.size();
    std::string path = report.substr(colon + 2, end - colon - 2);
    if (!path.empty() && path.back() == ' ') path.pop_back();  // the report writes "%s "
    return path;
}
