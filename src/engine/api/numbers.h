// Reading a number given as text (a dialog's answer, a descriptor's field, an option, a
// manifest's cell): strictly, so that a typing slip is refused rather than read as another
// number. Public: the console and the GIS read people's numbers with the same reader.
#ifndef TARVEX_NUMBERS_H
#define TARVEX_NUMBERS_H

#include <limits>
#include <optional>
#include <string>

// The decimal number that is the whole of `text` (an optional sign, digits with an optional
// decimal point, an optional exponent: no spaces, no hexadecimal, no "inf" or "nan"), when it
// is finite and lies from `least` to `most`; nothing otherwise.
std::optional<double> read_number(const std::string& text, double least = -std::numeric_limits<double>::max(),
                                  double most = std::numeric_limits<double>::max());

// The same, for a whole number ("12", "1e3", "4.0") from `least` to `most`.
std::optional<long long> read_whole_number(const std::string& text, long long least, long long most);

// The integer that is the whole of `text` written as an optional sign and decimal digits, and
// nothing else ("12", "-3", "+7"; not "1e3", "4.0"), when it lies from `least` to `most`.
std::optional<long long> read_integer(const std::string& text, long long least, long long most);

#endif
