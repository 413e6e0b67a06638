#include "numbers.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

// The digits from `at`; moves `at` past them and tells how many there were.
std::size_t digits(const std::string& text, std::size_t& at) {
    const std::size_t start = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
    return at - start;
}

// Whether `text` is written as a decimal number, and nothing else.
bool decimal_syntax(const std::string& text) {
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    std::size_t mantissa = digits(text, at);
    if (at < text.size() && text[at] == '.') mantissa += digits(text, ++at);
    if (mantissa == 0) return false;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
        if (digits(text, at) == 0) return false;
    }
    return at == text.size();
}

}  // namespace

std::optional<double> read_number(const std::string& text, double least, double most) {
    if (!decimal_syntax(text)) return std::nullopt;
    // The programs keep the C locale: '.' is the decimal point. A number too large for a
    // double is refused; one too small for it is read as the nearest, down to 0.
    const double v = std::strtod(text.c_str(), nullptr);
    if (!std::isfinite(v) || v < least || v > most) return std::nullopt;
    return v;
}

std::optional<long long> read_whole_number(const std::string& text, long long least, long long most) {
    // The range is checked on the double first: converting one beyond it would be undefined
    // (ranges are those of options, far within the 2^53 a double holds exactly).
    const std::optional<double> v = read_number(text, static_cast<double>(least), static_cast<double>(most));
    if (!v || *v != std::trunc(*v)) return std::nullopt;
    return static_cast<long long>(*v);
}

std::optional<long long> read_integer(const std::string& text, long long least, long long most) {
    std::size_t at = text.empty() || (text[0] != '+' && text[0] != '-') ? 0 : 1;
    if (digits(text, at) == 0 || at != text.size()) return std::nullopt;
    // from_chars takes no '+'; a number beyond 64 bits is out of range, and so refused.
    const char* first = text.c_str() + (text[0] == '+' ? 1 : 0);
    long long v = 0;
    const std::from_chars_result read = std::from_chars(first, text.c_str() + text.size(), v);
    if (read.ec != std::errc() || v < least || v > most) return std::nullopt;
    return v;
}
