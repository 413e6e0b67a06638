// Any bytes as the answers to a sequence of questions of every kind. A tail of valid answers
// follows the bytes, so every question is eventually answered; each answer must meet its
// question's rule.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "console.h"
#include "dem_units.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string answers(reinterpret_cast<const char*>(data), size);
    answers += "\n";
    for (int k = 0; k < 16; ++k) answers += " 1";
    std::istringstream in(answers);
    std::ostringstream out;
    Console con(in, out, Console::KeySource(), false);

    const std::string name = con.ask_name("?");
    if (name.empty() || name.find_first_of(" \t\n\r\v\f") != std::string::npos) std::abort();
    con.ask_int("?");
    const int positive = con.ask_int("?", {[](int v) { return v > 0; }, "!"});
    const int code = con.ask_menu("menu", 3);
    const double real = con.ask_real("?");
    const double metres = con.ask_real("?", {[](double v) { return dem_units_fit(v, 1000); }, "!"});
    if (positive <= 0 || code < 0 || code > 3 || real != real || !dem_units_fit(metres, 1000)) std::abort();
    return 0;
}
